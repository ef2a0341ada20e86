// APP: caller identification, the target's program line, the notification sounds and the call log
// of a call.  The rules are portable (CALLHELPERS); this joins them with APP's lists and locks and
// with the operating system: programs, MAPI, PlaySound and the locale's list separator.
#include "client/app.h"

#include <utility>
#include <vector>

#include "client/callhelpers.h"
#include "client/clienttiming.h"
#include "client/languagetexts.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysprogram.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/osysthread.h"
#include "kestar/devices/mapiclass.h"
#include "lang/resource_ids.h"

MUTEXSEM APP::SoundLock;

namespace {

const char *Text(const char *text)
{
    return text ? text : "<NULL>";
}

STRING Value(HASH &record, const char *name)
{
    STRING *value = nullptr;
    return record.Exists(name, &value) && value && !value->IsNull() ? *value : STRING("");
}

int Flag(const STRING &text)
{
    return text.NotEmpty() && text.ToInt64() != 0 ? 1 : 0;
}

// Lookup programs start without a shell, so a number in the line is only ever an argument.
int RunLookupProgram(const char *commandLine, const char *windowTitle, int timeoutMs)
{
    switch (OSYS::RunProgramTimed(commandLine, windowTitle, timeoutMs)) {
    case 1:
        return CALLHELPERS::RUN_ENDED;
    case 0:
        return CALLHELPERS::RUN_TIMEDOUT;
    default:
        return CALLHELPERS::RUN_FAILED;
    }
}

bool IsJob(const STRING &type)
{
    for (const char *job : {"FAXCALL", "FAXPOLL", "SMSCALL", "MAILCALL"})
        if (STR::stricmp(type, job, 0) == 0)
            return true;
    return false;
}

} // namespace

int APP::FindPrimaryCaller(const char *number, const char *canonical, HASH &caller, STRING *keyPosition)
{
    return CALLHELPERS::FindPrimaryCaller(Callers, number, canonical, caller, keyPosition);
}

int APP::FindMapiCaller(const char *number, const char *canonical, HASH &caller, STRING *keyPosition)
{
    LOGIT::Printf("APP::FindMapiCaller from=%s, fromcano=%s\n", Text(number), Text(canonical));
    MapiLock.Obtain();
    if (!Mapi || !Mapi->IsUpAndRunning()) {
        MapiLock.Release();
        LOGIT::Printf("APP::FindMapiCaller this->pMapi failed\n");
        return 0;
    }
    const STRING key = CALLHELPERS::MapiSearchKey(canonical);
    HASHLIST books(GetSetting("MapiAddressBooks"));
    HASHLIST found;
    // A list older than MAPI's present books names no book beyond them.
    for (int i = 0; i < books.NumItems() && i < Mapi->GetNumAddressBooks(); ++i)
        if (Flag(Value(*books[i], "Active")))
            Mapi->GetSelAdrBookEntries(i, found, key);
    MapiLock.Release();
    found.Lock();
    const int idx = CALLHELPERS::BestMatchIdx(found, number, canonical, keyPosition);
    if (idx >= 0)
        caller = *found[idx];
    found.Unlock();
    LOGIT::Printf("APP::FindMapiCaller done found=%d\n", idx >= 0 ? 1 : 0);
    return idx >= 0 ? 1 : 0;
}

int APP::FindSecondaryCaller(const char *number, const char *canonical, HASH &caller, HASHLIST &list, MUTEXSEM &lock,
                             const char *file, int csv, const char *program)
{
    const STRING title = OSYS::GetStringFromResource(IDS_APPTITLE);
    return CALLHELPERS::FindSecondaryCaller(number, canonical, caller, list, lock, file, csv, program,
                                            RunLookupProgram, title, CLIENTTIMING::Get(CLIENTTIMING::LOOKUPPROGRAM));
}

int APP::IdentifyCaller(HASH &item, HASH &caller, STRING *keyPosition)
{
    const STRING number = Value(item, "CallerNumber");
    const STRING canonical = Value(item, "CallerCanonical");
    if (FindPrimaryCaller(number, canonical, caller, keyPosition))
        return CALLER_PRIMARY;
    if (IsJob(Value(item, "Type")))
        return CALLER_NONE;
    if (Flag(GetSetting("MapiCallerSearch")) && FindMapiCaller(number, canonical, caller, keyPosition))
        return CALLER_MAPI;
    const int execute = static_cast<int>(GetSetting("SecondaryCallerFileDoExecute")) == 1;
    const STRING program = execute ? GetSetting("SecondaryCallerFileExecuteCmdline") : STRING("");
    const int found = FindSecondaryCaller(number, canonical, caller, SecondaryCallers, SecondaryCallersLock,
                                          GetSetting("SecondaryCallerFile"),
                                          Flag(GetSetting("SecondaryCallerFileCsv")), program);
    // Without a program to write it and without the wish to keep it, the file is read again for
    // the next call.
    if (!Flag(GetSetting("SecondaryCallerFileKeep")) && !Flag(GetSetting("SecondaryCallerFileDoExecute"))) {
        SecondaryCallersLock.Obtain();
        if (SecondaryCallers.NumItems() > 0)
            SecondaryCallers.DeleteAll();
        SecondaryCallersLock.Release();
    }
    return found ? CALLER_SECONDARY : CALLER_NONE;
}

void APP::LoadSecondaryCallers(const char *file, int csv)
{
    CALLHELPERS::LoadSecondaryCallers(SecondaryCallers, file, csv);
}

void APP::UpdateMapiAdrBooklist(int activateAll, STRING &list)
{
    LOGIT::Printf("APP::UpdateMapiAdrBooklist begin\n");
    MapiLock.Obtain();
    if (!LOGIT::Assert(Mapi != nullptr, "this->pMapi", "..\\common\\misccommon", 800, nullptr, 0) || !Mapi ||
        !LOGIT::Assert(Mapi->IsUpAndRunning(), "this->pMapi->IsUpAndRunning()", "..\\common\\misccommon", 801,
                       nullptr, 0) ||
        !Mapi->IsUpAndRunning()) {
        MapiLock.Release();
        return;
    }
    const int count = Mapi->QueryAllAddressBooks(0);
    LOGIT::Printf("APP::UpdateMapiAdrBooklist num=%d\n", count);
    std::vector<std::pair<STRING, STRING>> books;
    for (int i = 0; i < Mapi->GetNumAddressBooks(); ++i) {
        BINARY id;
        Mapi->GetAddressBookId(i, id);
        books.emplace_back(Mapi->GetAddressBookName(i), id.ToHex());
    }
    MapiLock.Release();
    list = CALLHELPERS::MergeAddressBooks(books, list, activateAll);
    LOGIT::Printf("APP::UpdateMapiAdrBooklist finished, adrbookstring=%s\n", Text(list));
}

STRING APP::BuildProgramCommandLine(int targetIdx, HASH *caller, const char *canonical, const char *number,
                                    const char *callType)
{
    STRING line("");
    Targets.Lock();
    if (LOGIT::Assert(targetIdx >= 0 && targetIdx < Targets.NumItems() ? 1 : 0,
                      "targetidx>=0 && targetidx<this->pTargets->NumItems()", __FILE__, __LINE__, nullptr, 0) &&
        targetIdx >= 0 && targetIdx < Targets.NumItems())
        line = CALLHELPERS::BuildProgramCommandLine(*Targets[targetIdx], caller, canonical, number, callType);
    Targets.Unlock();
    return line;
}

unsigned APP::PlaySound(void *soundList)
{
    OSYS::InitThreadCrashHandler();
    STRING *list = static_cast<STRING *>(soundList);
    SoundLock.Obtain();
    LOGIT::Printf("APP::PlaySound(\"%s\")\n", list ? Text(*list) : "<NULL>");
    STRINGARRAY files = CALLHELPERS::SoundFiles(list ? static_cast<const char *>(*list) : "");
    for (int i = 0; i < files.NumItems(); ++i) {
        const char *file = *files[i];
        LOGIT::Printf("APP::PlaySound playing \"%s\"\n", file);
        OSYS::PlaySoundFile(file, true);
    }
    delete list;
    SoundLock.Release();
    return 0;
}

void APP::StartPlaySound(const char *soundList)
{
    if (!soundList || !*soundList)
        return;
    STRING *copy = new STRING(soundList);
    void *thread = OSYS::CreateThread(PlaySound, copy);
    if (thread)
        OSYS::CloseThreadHandle(thread);
    else
        delete copy;
}

int APP::AppendCallLog(const char *file, int csv, HASH &item)
{
    return CALLHELPERS::AppendCallLog(CallLogLock, file, csv, OSYS::GetListSeparator(), item,
                                      LANGUAGETEXTS::Instance());
}
