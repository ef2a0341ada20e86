// The window-free parts of the data-bound dialogs: rule conditions and groups, check bits, raw
// bindings, multi-selection texts and the browse-file start name.
#include "kestar/windowing/datadialogrules.h"

#include <cstring>

#include "kestar/base/logit.h"

namespace DATADIALOGRULES {

int ButtonKind(unsigned style)
{
    switch (style & 0xF) {
    case 2: case 3: case 5: case 6:
        return 1;
    case 4: case 9:
        return 2;
    default:
        return 0;
    }
}

bool Require(bool ok, const char *text, const char *file, int line, const char *info)
{
    if (!ok)
        LOGIT::Assert(0, text, file, line, info, 0);
    return ok;
}

static bool Unfitting()
{
    LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, nullptr, 0);
    return false;
}

bool Condition(int kind, const SOURCESTATE &source, const char *compare)
{
    const char *other = compare != nullptr ? compare : "";
    if (kind == KIND_ONCE)
        return true;
    if (kind == KIND_NEVER)
        return false;
    if (kind < 0 || kind > 10 || kind == 4)
        return Unfitting();
    switch (source.sourceClass) {
    case SOURCE_BUTTON:
        if (kind == 0)
            return source.checked;
        if (kind == 1)
            return !source.checked;
        return Unfitting();
    case SOURCE_LIST:
        switch (kind) {
        case 2: return source.text == other;
        case 3: return !(source.text == other);
        case 5: return source.index == static_cast<int>(STRING(other));
        case 6: return source.index != static_cast<int>(STRING(other));
        default: return Unfitting();
        }
    case SOURCE_EDIT:
        switch (kind) {
        case 0: return source.text.NotEmpty();
        case 1: return source.text.IsEmpty();
        case 2: return source.text == other;
        case 3: return !(source.text == other);
        case 7: return source.fileExists;
        case 8: return !source.fileExists;
        case 9: return source.folderExists;
        case 10: return !source.folderExists;
        default: return Unfitting();
        }
    default:
        return false;
    }
}

static bool SameGroup(const RULE &a, const RULE &b)
{
    return a.targetParent == b.targetParent && a.targetId == b.targetId && (a.flags & HIDE) == (b.flags & HIDE);
}

std::vector<ACTION> Evaluate(const RULE *rules, int count, const void *dialog, int sourceId, bool sourceIsRadio,
                             RULESOURCES &sources)
{
    std::vector<ACTION> actions;
    if (rules == nullptr || count <= 0)
        return actions;
    std::vector<bool> marked(static_cast<size_t>(count), false);
    for (int i = 0; i < count; i++) {
        if (marked[i])
            continue;
        const RULE &r = rules[i];
        int kind = r.flags & KIND_MASK;
        if (kind == KIND_ONCE) {
            // Applied once, when the dialog is loaded; no later pass enables the target again.
            if (sourceId == 0 && r.targetParent == dialog)
                actions.push_back({r.targetParent, r.targetId, (r.flags & HIDE) != 0, true});
            continue;
        }
        bool applies = (r.sourceParent == dialog && r.sourceId == sourceId && sourceId != 0);
        // A click on a radio button switches another one off without a notification of its own.
        if (!applies && sourceIsRadio && sources.SourceIsRadio(i))
            applies = true;
        if (!applies)
            continue;
        int n = 0, t = 0;
        bool all = false;
        for (int j = 0; j < count; j++) {
            if (!SameGroup(r, rules[j]))
                continue;
            marked[j] = true;
            n++;
            // The group's mode is the group's, whichever of its sources changed.
            if (rules[j].flags & ALL)
                all = true;
            int k = rules[j].flags & KIND_MASK;
            bool holds = k == KIND_ONCE ? true : k == KIND_NEVER ? false : sources.Holds(j);
            if (holds)
                t++;
        }
        bool disable = t > 0 && (t == n || !all);
        actions.push_back({r.targetParent, r.targetId, (r.flags & HIDE) != 0, disable});
    }
    return actions;
}

int CheckShown(uint64_t number, int bit)
{
    if (bit == -1)
        return number > 2 ? 1 : static_cast<int>(number);
    if (bit < 0 || bit > 63)
        return 0;
    return ((number >> bit) & 1) != 0 ? 1 : 0;
}

uint64_t CheckStored(uint64_t number, int bit, int state)
{
    if (bit == -1)
        return static_cast<uint64_t>(state < 0 ? 0 : state);
    if (bit < 0 || bit > 63)
        return number;
    uint64_t mask = uint64_t(1) << bit;
    return state != 0 ? (number | mask) : (number & ~mask);
}

uint64_t ReadRaw(const void *variable, int length)
{
    if (variable == nullptr || length <= 0)
        return 0;
    switch (length) {
    case 1: { uint8_t v; std::memcpy(&v, variable, 1); return v; }
    case 2: { uint16_t v; std::memcpy(&v, variable, 2); return v; }
    case 4: { uint32_t v; std::memcpy(&v, variable, 4); return v; }
    case 8: { uint64_t v; std::memcpy(&v, variable, 8); return v; }
    default: {
        uint64_t v = 0;
        std::memcpy(&v, variable, static_cast<size_t>(length < 8 ? length : 8));
        return v;
    }
    }
}

void WriteRaw(void *variable, int length, uint64_t number)
{
    if (variable == nullptr || length <= 0)
        return;
    switch (length) {
    case 1: { uint8_t v = static_cast<uint8_t>(number); std::memcpy(variable, &v, 1); return; }
    case 2: { uint16_t v = static_cast<uint16_t>(number); std::memcpy(variable, &v, 2); return; }
    case 4: { uint32_t v = static_cast<uint32_t>(number); std::memcpy(variable, &v, 4); return; }
    case 8: std::memcpy(variable, &number, 8); return;
    default:
        // An odd size: its low bytes (little-endian hosts only), never past the variable.
        std::memcpy(variable, &number, static_cast<size_t>(length < 8 ? length : 8));
        return;
    }
}

std::vector<STRING> SplitSelection(const char *value)
{
    std::vector<STRING> parts;
    if (value == nullptr)
        return parts;
    STRING all(value);
    int n = all.NumTokens("|");
    for (int i = 0; i < n; i++) {
        STRING part = all.Token(i, "|", STRING_TOKEN_NOTNULL);
        if (part.IsEmpty())
            break;
        parts.push_back(part);
    }
    return parts;
}

STRING JoinSelection(const std::vector<STRING> &parts)
{
    STRING joined("");
    for (const STRING &p : parts) {
        joined += p;
        joined += "|";
    }
    joined.StripLastChar('|');
    return joined;
}

STRING BrowseFileStart(const char *start, const char *target)
{
    STRING s(start != nullptr ? start : "");
    STRING t(target != nullptr ? target : "");
    if (s.IsEmpty())
        return t;
    if (t.IsEmpty())
        return s;
    const char *text = s;
    const char *slash = std::strrchr(text, '\\');
    const char *slash2 = std::strrchr(text, '/');
    if (slash2 != nullptr && (slash == nullptr || slash2 > slash))
        slash = slash2;
    const char *name = slash != nullptr ? slash + 1 : text;
    if (std::strstr(name, "*.") != nullptr && !t.FindChar('\\') && !t.FindChar('/')) {
        STRING result = s.Left(static_cast<STRING_SIZE_T>(name - text));
        result += t;
        return result;
    }
    return t;
}

} // namespace DATADIALOGRULES
