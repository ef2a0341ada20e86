// The call log of the stand-in server.
#include "standins/standinserver/standincalllog.h"

#include "kestar/base/filename.h"

STANDINCALLLOG::~STANDINCALLLOG()
{
    if (File)
        std::fclose(File);
}

bool STANDINCALLLOG::Open(const char *path)
{
    lock.Enter();
    if (File)
        std::fclose(File);
    // Shared for reading: tests read the log while the server writes it.
    File = FILENAME::fsopen(path, "wb", FILENAME::SH_DENYNO);
    Count = 0;
    const bool ok = File != nullptr;
    lock.Leave();
    return ok;
}

void STANDINCALLLOG::Add(int64_t ms, const char *peer, const char *command, const char *mode, HASH &params,
                         const char *result, bool ok)
{
    HASH entry;
    entry["Ms"] = STRING(static_cast<long long>(ms));
    entry["Peer"] = peer ? peer : "";
    entry["Command"] = command ? command : "";
    entry["Mode"] = mode ? mode : "";
    entry["Params"] = params.ToString();
    entry["Result"] = STRING(result ? result : "<NULL>").Left(200);
    entry["Ok"] = ok ? "1" : "0";
    STRING text = entry.ToString();
    lock.Enter();
    if (File) {
        STRING section;
        section.Format("[#%d]\n", Count++);
        std::fwrite(section, 1, section.Length(), File);
        std::fwrite(text, 1, text.Length(), File);
        std::fwrite("\n", 1, 1, File);
        std::fflush(File);
    }
    lock.Leave();
}
