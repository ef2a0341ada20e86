// SMS: the provider table and the gateway choice (see sms.h).
#include "common/sms.h"

#include <string>
#include <utility>
#include <vector>

#include "kestar/base/critsect.h"
#include "kestar/base/filename.h"
#include "kestar/base/logit.h"

namespace {

struct STATE {
    CRITSECT Lock;
    HASHLIST Table;     // the provider records
    int Loaded = 0;     // a table was read
    int Selected = -1;  // index in Table, -1 while none is chosen
    int Attempts = 0;
    int Pause = 0;
    int CheckMobile = 0;
};

// Built once and never destroyed: threads may still ask while static objects go.
STATE &State()
{
    static STATE *state = new STATE();
    return *state;
}

// The allowed values of the checked keys; "" stands for an empty value.
struct ALLOWED {
    const char *Key;
    std::vector<const char *> Values;
    const char *Condition; // the assertion's text
};
const ALLOWED kAllowed[] = {
    {"ServiceProtocol", {"TAP", "UCP", "V23"}, "ServiceProtocol must be TAP, UCP or V23"},
    {"IsdnProtocol", {"", "DATA", "DATA_T90", "DATA_V120", "SOUND"},
     "IsdnProtocol must be empty, DATA, DATA_T90, DATA_V120 or SOUND"},
    {"ModemProtocol", {"", "DATA", "SOUND"}, "ModemProtocol must be empty, DATA or SOUND"},
};

typedef std::vector<std::pair<std::string, std::string>> FAILURES; // condition, information

STRING FileIn(const char *folder, const char *name)
{
    STRING path(folder && *folder ? folder : "");
    if (path.NotEmpty() && path[path.Length() - 1] != '\\' && path[path.Length() - 1] != '/')
        path += "\\";
    path += name;
    return path;
}

// The six keys, the blanks of the name, the allowed values, the closed key table.
void PrepareProvider(HASH &record, FAILURES &failures)
{
    record.AllowNewKeys(1);
    for (int i = 0; i < SMS::NUMKEYS; ++i) {
        STRING &value = record[SMS::KEYS[i]];
        if (value.IsNull())
            value = "";
    }
    record["ServiceName"].Replace(" ", "-");
    for (const ALLOWED &rule : kAllowed) {
        const STRING &value = record[rule.Key];
        bool ok = false;
        for (const char *allowed : rule.Values)
            ok = ok || value == STRING(allowed);
        if (!ok) {
            std::string info = "ServiceNumber=";
            info += static_cast<const char *>(record["ServiceNumber"]);
            info += ", ";
            info += rule.Key;
            info += "=";
            info += static_cast<const char *>(value);
            failures.emplace_back(rule.Condition, info);
        }
    }
    record.AllowNewKeys(0);
}

// Reads the file when it must; the caller holds the lock.  A missing file is returned in
// failures as well.
void LoadLocked(STATE &state, const char *folder, int force, FAILURES &failures)
{
    if (state.Loaded && !force)
        return;
    STRING path = FileIn(folder, "smsprovider.ini");
    const STRING inf = FileIn(folder, "smsprovider.inf");
    if (!FILENAME(path).IsFile() && FILENAME(inf).IsFile())
        path = inf;
    if (!FILENAME(path).IsFile()) {
        failures.emplace_back("FALSE", std::string("no SMS provider file ") + static_cast<const char *>(path));
        return;
    }
    LOGIT::Printf("SMS::LoadProviders %s\n", static_cast<const char *>(path));
    state.Table.DeleteAll();
    state.Table.Load(path);
    state.Loaded = 1;
    // A selection made in another table means nothing in this one.
    state.Selected = -1;
    for (int i = 0; i < state.Table.NumItems(); ++i)
        PrepareProvider(*state.Table[i], failures);
    LOGIT::Printf("SMS::LoadProviders %d providers\n", state.Table.NumItems());
}

// The assertions collected under the lock, raised after it was released (an assertion may ask
// the user).
void Report(const FAILURES &failures, int line)
{
    for (const auto &f : failures)
        LOGIT::Assert(0, f.first.c_str(), __FILE__, line, f.second.c_str(), 0);
}

// The selected record, or null (the caller holds the lock).
HASH *SelectedLocked(STATE &state)
{
    if (state.Selected < 0 || state.Selected >= state.Table.NumItems())
        return nullptr;
    return state.Table[state.Selected];
}

} // namespace

const char *const SMS::KEYS[] = {"Prefix", "ServiceName", "ServiceNumber", "ServiceProtocol", "IsdnProtocol",
                                 "ModemProtocol"};
const int SMS::NUMKEYS = static_cast<int>(sizeof(KEYS) / sizeof(KEYS[0]));

int SMS::LoadProviders(const char *folder, int force)
{
    STATE &state = State();
    FAILURES failures;
    int loaded;
    {
        CRITSECTHOLD hold(state.Lock);
        LoadLocked(state, folder, force, failures);
        loaded = state.Loaded;
    }
    Report(failures, __LINE__);
    return loaded;
}

HASHLIST SMS::GetProviders(const char *folder)
{
    STATE &state = State();
    FAILURES failures;
    HASHLIST copy;
    {
        CRITSECTHOLD hold(state.Lock);
        LoadLocked(state, folder, 0, failures);
        copy = state.Table;
    }
    Report(failures, __LINE__);
    return copy;
}

int SMS::SelectGateway(int attempts, int pause, int checkMobile, const char *gatewayNumber, const char *folder)
{
    STATE &state = State();
    FAILURES failures;
    int found = -1;
    {
        CRITSECTHOLD hold(state.Lock);
        LoadLocked(state, folder, 0, failures);
        state.Attempts = attempts;
        state.Pause = pause;
        state.CheckMobile = checkMobile;
        const STRING wanted(gatewayNumber ? gatewayNumber : "");
        for (int i = 0; i < state.Table.NumItems() && found == -1; ++i) {
            STRING *number = nullptr;
            if (state.Table[i]->Exists("ServiceNumber", &number) && *number == wanted)
                found = i;
        }
        // An empty table has no first record: nothing is selected then.
        state.Selected = found != -1 ? found : (state.Table.NumItems() > 0 ? 0 : -1);
        LOGIT::Printf("SMS::SelectGateway gateway=%s found=%d selected=%d checkmobile=%d\n",
                      STR::SafeText(gatewayNumber, "gateway"), found, state.Selected, checkMobile);
    }
    Report(failures, __LINE__);
    return found;
}

STRING SMS::GetServiceProtocol()
{
    STATE &state = State();
    STRING protocol("");
    bool selected = false;
    {
        CRITSECTHOLD hold(state.Lock);
        HASH *record = SelectedLocked(state);
        if (record) {
            selected = true;
            protocol = record->Get("ServiceProtocol");
        }
    }
    if (!selected)
        LOGIT::Assert(0, "SMS::SendServiceIdx!=-1", __FILE__, __LINE__, nullptr, 0);
    return protocol;
}

int SMS::IsProviderPrefix(const char *number, const char *folder)
{
    STATE &state = State();
    FAILURES failures;
    STRING prefixes;
    bool selected = false;
    {
        CRITSECTHOLD hold(state.Lock);
        LoadLocked(state, folder, 0, failures);
        HASH *record = SelectedLocked(state);
        if (record) {
            selected = true;
            prefixes = record->Get("Prefix");
        }
    }
    Report(failures, __LINE__);
    if (!selected) {
        LOGIT::Assert(0, "SMS::SendServiceIdx!=-1", __FILE__, __LINE__, number, 0);
        return 0;
    }
    if (!number || !*number)
        return 0;
    const std::string text(number);
    for (int i = 0;; ++i) {
        const STRING piece = prefixes.Token(i, "|");
        if (piece.IsEmpty())
            break;
        if (text.compare(0, static_cast<size_t>(piece.Length()), piece.GetBuffer(), static_cast<size_t>(piece.Length())) == 0)
            return 1;
    }
    return 0;
}

int SMS::CheckMobileNumber(const char *number, const char *folder)
{
    int check;
    {
        STATE &state = State();
        CRITSECTHOLD hold(state.Lock);
        check = state.CheckMobile;
    }
    return check ? IsProviderPrefix(number, folder) : 1;
}

int SMS::GetSelectedIndex()
{
    STATE &state = State();
    CRITSECTHOLD hold(state.Lock);
    return state.Selected;
}

int SMS::GetAttempts()
{
    STATE &state = State();
    CRITSECTHOLD hold(state.Lock);
    return state.Attempts;
}

int SMS::GetPauseBetween()
{
    STATE &state = State();
    CRITSECTHOLD hold(state.Lock);
    return state.Pause;
}

void SMS::ResetForTests()
{
    STATE &state = State();
    CRITSECTHOLD hold(state.Lock);
    state.Table.DeleteAll();
    state.Loaded = 0;
    state.Selected = -1;
    state.Attempts = 0;
    state.Pause = 0;
    state.CheckMobile = 0;
}
