// The portable part of the call handling helpers (see callhelpers.h).
#include "client/callhelpers.h"

#include <cstdio>
#include <string>

#include "client/itemtexts.h"
#include "client/macrotext.h"
#include "common/findbestmatchnumber.h"
#include "kestar/base/fsys.h"
#include "kestar/base/logit.h"
#include "kestar/base/osystime.h"

namespace {

const char *Text(const char *text)
{
    return text ? text : "<NULL>";
}

STRING Value(HASH &record, const char *name)
{
    STRING *value = nullptr;
    if (record.Exists(name, &value) && value && !value->IsNull())
        return *value;
    return STRING("");
}

// The first of the keys with a value.
STRING FirstNotEmpty(HASH &item, const char *a, const char *b, const char *c)
{
    STRING text = Value(item, a);
    if (text.IsEmpty())
        text = Value(item, b);
    if (text.IsEmpty())
        text = Value(item, c);
    return text;
}

std::string Std(const STRING &text)
{
    return text.NotEmpty() ? std::string(text.GetBuffer(), static_cast<size_t>(text.Length())) : std::string();
}

// A CSV field: the text in double quotes, each inner quote doubled.
std::string Quoted(const STRING &text)
{
    std::string out("\"");
    for (STRING_SIZE_T i = 0; i < text.Length(); ++i) {
        const char c = text.GetBuffer()[i];
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
    return out;
}

} // namespace

int CALLHELPERS::BestMatchIdx(HASHLIST &list, const char *number, const char *canonical, STRING *keyPosition)
{
    const int idx = FindBestMatchNumber(list, number, canonical, keyPosition);
    LOGIT::Printf("APP::FindBestMatchNumberIdx what=%s, whatcano=%s, idx=%d\n", Text(number), Text(canonical), idx);
    return idx;
}

int CALLHELPERS::FindPrimaryCaller(CALLERS &callers, const char *number, const char *canonical, HASH &caller,
                                   STRING *keyPosition)
{
    LOGIT::Printf("APP::FindPrimaryCaller %s\n", Text(number));
    callers.Lock();
    const int idx = BestMatchIdx(callers, number, canonical, keyPosition);
    if (idx >= 0)
        caller = *callers[idx];
    callers.Unlock();
    LOGIT::Printf("APP::FindPrimaryCaller done found=%d, idx=%d\n", idx >= 0 ? 1 : 0, idx);
    return idx >= 0 ? 1 : 0;
}

int CALLHELPERS::FindSecondaryCaller(const char *number, const char *canonical, HASH &caller, HASHLIST &list,
                                     MUTEXSEM &lock, const char *file, int csv, const char *program,
                                     RUNFUNCTION run, const char *windowTitle, int timeoutMs)
{
    LOGIT::Printf("APP::FindSecondaryCaller %s\n", Text(number));
    if (!file || !*file)
        return 0;
    LOGIT::Printf("APP::FindSecondaryCaller.1\n");
    lock.Obtain();
    LOGIT::Printf("APP::FindSecondaryCaller.2\n");
    if (program && *program && BestMatchIdx(list, number, canonical, nullptr) < 0) {
        list.DeleteAll();
        const MACRO macros[] = {{"$number", STRING(number ? number : "")}, {"$nummer", STRING(number ? number : "")}};
        const STRING commandLine = MACROTEXT::Expand(program, macros, 2);
        LOGIT::Printf("APP::FindSecondaryCaller before StartProgram cmdline=%s\n", Text(commandLine));
        const int ran = run ? run(commandLine, windowTitle, timeoutMs) : RUN_FAILED;
        // A program that hangs must not hold the lookup (and with it every list update): after
        // the time the file is read as the program left it.
        if (ran == RUN_TIMEDOUT)
            LOGIT::Printf("APP::FindSecondaryCaller program still running after %d ms, reading the file as it is\n",
                          timeoutMs);
        else if (ran == RUN_FAILED)
            LOGIT::Printf("APP::FindSecondaryCaller program could not be started\n");
        LOGIT::Printf("APP::FindSecondaryCaller after StartProgram\n");
    }
    LOGIT::Printf("APP::FindSecondaryCaller.3\n");
    if (list.NumItems() == 0)
        LoadSecondaryCallers(list, file, csv);
    LOGIT::Printf("APP::FindSecondaryCaller.4\n");
    list.Lock();
    const int idx = BestMatchIdx(list, number, canonical, nullptr);
    if (idx >= 0)
        caller = *list[idx];
    list.Unlock();
    lock.Release();
    LOGIT::Printf("APP::FindSecondaryCaller.5\n");
    LOGIT::Printf("APP::FindSecondaryCaller done found= %d, idx= %d\n", idx >= 0 ? 1 : 0, idx);
    return idx >= 0 ? 1 : 0;
}

void CALLHELPERS::LoadSecondaryCallers(HASHLIST &list, const char *file, int csv)
{
    if (!file || !*file) {
        LOGIT::Assert(0, "filename.Length()>0", "..\\common\\misccommon", 358, nullptr, 0);
        return;
    }
    LOGIT::Printf("APP::LoadSecondaryCallers %s\n", file);
    list.Lock();
    if (csv) {
        STRINGARRAY lines;
        const int count = lines.Load(file, 1);
        LOGIT::Printf("APP::LoadSecondaryCallers before insert of %d items\n", count);
        const char *const keys[] = {"Number", "Name", "Blink", "Sound", "NoPopup"};
        for (STRING_SIZE_T i = 0; i < lines.NumItems(); ++i) {
            // Quotes do not protect a ";": every ";" ends a field.
            STRING line(*lines[i]);
            line += ";;;;;;;;;;";
            HASH record;
            for (int k = 0; k < 5; ++k) {
                STRING field = line.Token(k, ";", STRING_TOKEN_NOTNULL);
                field.StripFirstChar('"');
                field.StripLastChar('"');
                if (k == 0)
                    field.RemoveChars(" /-()");
                record[keys[k]] = field;
            }
            CALLERS::Prepare(record);
            list.InsertItem(i < list.NumItems() ? i : list.NumItems(), record);
        }
        LOGIT::Printf("APP::LoadSecondaryCallers after insert of %d items\n", count);
    } else {
        list.Load(file);
    }
    LOGIT::Printf("APP::LoadSecondaryCallers before prepare\n");
    for (STRING_SIZE_T i = 0; i < list.NumItems(); ++i)
        CALLERS::Prepare(*list[i]);
    list.Unlock();
    LOGIT::Printf("APP::LoadSecondaryCallers %s done\n", file);
}

STRING CALLHELPERS::MapiSearchKey(const char *canonical)
{
    const STRING key(canonical ? canonical : "");
    return key.Length() >= 6 ? key.Right(4) : key;
}

STRING CALLHELPERS::MergeAddressBooks(const std::vector<std::pair<STRING, STRING>> &books, const char *oldList,
                                      int activateAll)
{
    HASHLIST old(STRING(oldList ? oldList : ""));
    HASHLIST fresh;
    for (const auto &book : books) {
        HASH record;
        record["Name"] = book.first;
        record["EntryId"] = book.second;
        STRING active("0");
        if (activateAll) {
            active = "1";
        } else {
            for (STRING_SIZE_T i = 0; i < old.NumItems(); ++i) {
                if (STR::stricmp(Value(*old[i], "EntryId"), book.second, 0) == 0) {
                    active = Value(*old[i], "Active");
                    break;
                }
            }
        }
        record["Active"] = active;
        fresh.AddItem(record);
    }
    return fresh.ToString();
}

STRING CALLHELPERS::BuildProgramCommandLine(HASH &target, HASH *caller, const char *canonical, const char *number,
                                            const char *callType)
{
    const STRING toName = Value(target, "Name");
    const STRING toNumber = Value(target, "Number");
    const STRING fromName = caller ? Value(*caller, "Name") : STRING("<unknown>");
    const STRING fromNumber(number ? number : "");
    const STRING fromCanonical(canonical ? canonical : "");
    const STRING from = caller ? fromName : fromNumber;
    const STRING type(callType ? callType : "");
    // The longer names come before "$from" and "$von", which begin them.
    const MACRO macros[] = {
        {"$toname", toName},         {"$tonumber", toNumber},       {"$fromname", fromName},
        {"$fromnumber", fromNumber}, {"$fromcanonical", fromCanonical}, {"$from", from},
        {"$calltype", type},         {"$anname", toName},           {"$annummer", toNumber},
        {"$vonname", fromName},      {"$vonnummer", fromNumber},    {"$vonkanonisch", fromCanonical},
        {"$von", from},              {"$anruftyp", type},
    };
    STRING line = Value(target, "Program");
    line += " ";
    line += MACROTEXT::Expand(Value(target, "ProgParm"), macros, static_cast<int>(sizeof macros / sizeof macros[0]));
    return line;
}

STRINGARRAY CALLHELPERS::SoundFiles(const char *list)
{
    STRINGARRAY files;
    const STRING text(list ? list : "");
    for (int n = 0;; ++n) {
        const STRING file = text.Token(n, "\t");
        if (file.IsNull() || file.IsEmpty())
            break;
        files.AddItem(file);
    }
    return files;
}

STRING CALLHELPERS::CallLogLine(HASH &item, int csv, const char *separator, const TEXTTABLE &texts)
{
    const STRING caller = FirstNotEmpty(item, "CallerName", "CallerNameSrv", "CallerNumber");
    const STRING target = FirstNotEmpty(item, "TargetName", "TargetNameSrv", "TargetNumber");
    const STRING time = ITEMTEXTS::TimeText(item);
    const STRING status = ITEMTEXTS(texts).StatusText(item);
    // Built without a size limit: a long line keeps its CR LF, so the next call starts a line.
    std::string line;
    if (csv) {
        const std::string sep(separator ? separator : "");
        line = Quoted(caller) + sep + Quoted(target) + sep + Quoted(time) + sep + Quoted(status);
    } else {
        line = Std(caller) + " -> " + Std(target) + " (" + Std(time) + " " + Std(status) + ")";
    }
    line += "\r\n";
    // Appended by length: a zero byte in a name must not cut the line before its end.
    STRING text("");
    text.Append(line.data(), static_cast<STRING_SIZE_T>(line.size()));
    return text;
}

int CALLHELPERS::AppendCallLog(MUTEXSEM &lock, const char *file, int csv, const char *separator, HASH &item,
                               const TEXTTABLE &texts)
{
    lock.Obtain();
    int written = 0;
    if (file && *file) {
        // Others may read the log meanwhile, nobody else writes it.
        FILE *stream = FSYS::OpenShared(file, "ab", FSYS::SHARE_DENY_WR);
        if (!stream) {
            LOGIT::Printf("APP::AppendCallLog cannot open %s: %s\n", file, FSYS::LastErrorText().c_str());
        } else {
            const STRING line = CallLogLine(item, csv, separator, texts);
            const size_t length = static_cast<size_t>(line.Length());
            const bool ok = std::fwrite(line.GetBuffer(), 1, length, stream) == length && FSYS::Commit(stream);
            if (std::fclose(stream) != 0 || !ok)
                LOGIT::Printf("APP::AppendCallLog writing %s failed\n", file);
            else
                written = 1;
        }
    }
    lock.Release();
    return written;
}
