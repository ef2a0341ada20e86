// FAXDROP: the spool file's name and its safe arrival in the drop folder.
#include "portmonitor/faxdrop.h"

#include <atomic>
#include <cstdio>

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/fsys.h"

namespace {

std::atomic<unsigned> gTempCounter{0};

const char *Text(const STRING &text)
{
    return text.IsNull() ? "" : text.GetBuffer();
}

// A path taken as it is: a user name holding "%" must not be read as a placeholder.
FILENAME Path(const STRING &text)
{
    FILENAME path;
    path.SetString(text);
    return path;
}

// Writes the bytes to path; true only when every byte was written and the file was flushed and
// closed cleanly.  A file that failed is removed.
bool WriteFile(const char *path, const void *bytes, size_t length)
{
    FILE *file = FILENAME::fsopen(path, "wb");
    if (!file) {
        LOGIT::Printf("FAXDROP cannot create %s\n", path);
        return false;
    }
    bool ok = length == 0 || std::fwrite(bytes, 1, length, file) == length;
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        LOGIT::Printf("FAXDROP writing %s failed\n", path);
        FILENAME file;
        file.SetText(path);
        file.Delete();
    }
    return ok;
}

} // namespace

STRING FAXDROP::SpoolName(const STRING &folder, const STRING &user, int32_t time, int pages)
{
    STRING name;
    name.Format("%s\\%s_%s_%ld_%d.sff", Text(folder), "plxfax", Text(user), static_cast<long>(time), pages);
    return name;
}

STRING FAXDROP::TempName(const STRING &folder)
{
    STRING name;
    name.Format("%s\\plxtmp_%lx_%x.tmp", Text(folder), FSYS::ProcessId(), gTempCounter.fetch_add(1));
    return name;
}

bool FAXDROP::Drop(const STRING &folder, const STRING &user, int32_t time, int pages, const void *bytes,
                   size_t length, STRING *written)
{
    // Names of this process are unique; one left by an earlier process of the same id is skipped.
    STRING temp = TempName(folder);
    for (int attempt = 0; attempt < 100 && Path(temp).Exists(); ++attempt)
        temp = TempName(folder);
    if (!WriteFile(Text(temp), bytes, length))
        return false;
    const FILENAME from = Path(temp);
    for (int64_t t = time; t < static_cast<int64_t>(time) + kMaxTries && t <= INT32_MAX; ++t) {
        STRING target = SpoolName(folder, user, static_cast<int32_t>(t), pages);
        const FILENAME to = Path(target);
        if (to.Exists())
            continue;
        if (from.MoveTo(to, false)) {
            LOGIT::Printf("FAXDROP %s written\n", Text(target));
            if (written)
                *written = target;
            return true;
        }
        // Taken between the test and the rename: go on with the next second; any other failure
        // ends it.
        if (!to.Exists())
            break;
    }
    LOGIT::Printf("FAXDROP no spool name for %s\n", Text(temp));
    from.Delete();
    return false;
}
