// The SMS provider file of the logon (see providerfile.h).
#include "client/providerfile.h"

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"

const char *const PROVIDERFILE::Name = "smsprovider.ini";

namespace {

bool IsBase64Letter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

// A free name may be taken by another process between the choice and the creation: a few tries.
const int kFolderTries = 8;

} // namespace

bool PROVIDERFILE::Decode(const STRING &answer, STRING &bytes)
{
    STRING_SIZE_T letters = 0;
    int padding = 0;
    for (STRING_SIZE_T i = 0; i < answer.Length(); ++i) {
        const char c = answer[i];
        if (c == '\r' || c == '\n' || c == ' ' || c == '\t')
            continue;
        if (c == '=') {
            ++padding;
        } else if (IsBase64Letter(c) && padding == 0) {
            ++letters;
        } else {
            return false;
        }
    }
    const STRING_SIZE_T total = letters + padding;
    if (letters == 0 || padding > 2 || total % 4 != 0)
        return false;
    bytes = answer.DecodeBase64();
    return bytes.NotEmpty();
}

STRING PROVIDERFILE::WriteInNewFolder(const char *parent, const STRING &bytes)
{
    const FILENAME probe(parent ? parent : "", Name);
    for (int attempt = 0; attempt < kFolderTries; ++attempt) {
        const FILENAME folder = probe.TempNameBeside();
        if (folder.IsEmpty())
            break;
        if (!folder.MakeDirectory())
            continue;
        const FILENAME file(folder.Text(), Name);
        if (bytes.Save(file.Text()))
            return folder.GetString();
        LOGIT::Printf("PROVIDERFILE::WriteInNewFolder cannot write %s\n", file.Text());
        file.Delete();
        folder.RemoveDirectory();
        break;
    }
    LOGIT::Printf("PROVIDERFILE::WriteInNewFolder no folder in %s\n", parent ? parent : "<NULL>");
    return STRING("");
}

bool PROVIDERFILE::RemoveFolder(const char *folder)
{
    if (!folder || !*folder)
        return false;
    const FILENAME file(folder, Name);
    if (file.Exists())
        file.Delete();
    return FILENAME(folder).RemoveDirectory();
}
