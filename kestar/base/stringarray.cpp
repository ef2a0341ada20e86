// STRINGARRAY: splitting, reading text files line by line, searching and comparing.
#include "kestar/base/stringarray.h"

#include <cstdlib>
#include <cstring>

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysfile.h"

namespace {

bool InToken(char c, const char *token)
{
    return c != 0 && token != nullptr && strchr(token, c) != nullptr;
}

// Case-insensitive (ASCII) test whether text begins with prefix.
bool BeginsNoCase(const char *text, const char *prefix)
{
    for (; *prefix != 0; text++, prefix++) {
        unsigned char a = static_cast<unsigned char>(*text);
        unsigned char b = static_cast<unsigned char>(*prefix);
        if (a >= 'A' && a <= 'Z')
            a = static_cast<unsigned char>(a + 32);
        if (b >= 'A' && b <= 'Z')
            b = static_cast<unsigned char>(b + 32);
        if (a != b)
            return false;
    }
    return true;
}

} // namespace

STRINGARRAY::STRINGARRAY(STRING_SIZE_T size) : DYNARRAY<STRING>(size, 64)
{
    SetTypeName("STRINGARRAY");
}

STRINGARRAY::STRINGARRAY(const char *source, const char *token, STRING_SIZE_T size) : DYNARRAY<STRING>(size, 64)
{
    SetTypeName("STRINGARRAY");
    const char *s = source != nullptr ? source : "";
    const char *t = token != nullptr ? token : "";
    LOGIT::PrintfLevel(1, "STRINGARRAY::STRINGARRAY source= %s, token= %s\n", s, t);
    Split(source, token);
}

int STRINGARRAY::Compare(STRING *item1, STRING *item2, int flags)
{
    if (flags & STRINGARRAY_NUMERIC) {
        const int a = static_cast<int>(*item1);
        const int b = static_cast<int>(*item2);
        return (a > b) - (a < b);
    }
    if (flags & STRINGARRAY_NOCASE)
        return STR::stricmp(item1->Buffer, item2->Buffer, 0);
    const char *a = STR::SafeText(item1->Buffer, "strcmp p1");
    const char *b = STR::SafeText(item2->Buffer, "strcmp p2");
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    return strcmp(a, b);
}

void STRINGARRAY::Split(const char *source, const char *token)
{
    Lock();
    DeleteAll();
    if (source != nullptr) {
        const char *start = source;
        for (const char *p = source;; p++) {
            if (*p == 0 || InToken(*p, token)) {
                AddItem(STRING::FromBytes(start, static_cast<STRING_SIZE_T>(p - start)));
                if (*p == 0)
                    break;
                start = p + 1;
            }
        }
    }
    Unlock();
}

int STRINGARRAY::Load(const char *path, int unescape)
{
    const char *name = STR::SafeText(path, "STRINGARRAY::Load");
    LOGIT::Printf("STRINGARRAY::Load %s (%ld bytes)\n", name ? name : "", static_cast<long>(OSYSFILE::Size(path)));
    char error[256];
    // Readers deny writers: a list is never read while another process writes it.
    FILE *f = path ? FILENAME::fsopen(path, "r") : OSYSFILE::Open(path, "r");
    if (f == nullptr) {
        OSYSFILE::LastErrorText(error, sizeof(error));
        LOGIT::Printf("STRINGARRAY::Load returns %d, %s\n", 0, error);
        return 0;
    }
    static const int BUFSIZE = 32768;
    char *buffer = static_cast<char *>(malloc(BUFSIZE));
    int count = 0;
    Lock();
    auto take = [&](STRING &line) {
#if !defined(_WIN32)
        // The Windows runtime's text mode turns CR LF into LF; do the same for files from there.
        line.StripLastChar('\r');
#endif
        line.SetNotNull();
        if (unescape)
            InsertItem(count, line.Unescape(false));
        else
            InsertItem(count, line);
        count++;
        line.Free();
    };
    STRING line;
    bool open = false; // a line has begun but its line feed has not come yet
    while (buffer != nullptr && fgets(buffer, BUFSIZE, f) != nullptr) {
        size_t n = strlen(buffer);
        const bool complete = n > 0 && buffer[n - 1] == '\n';
        if (complete)
            n--;
        line.BINARY::Append(buffer, static_cast<STRING_SIZE_T>(n));
        open = true;
        if (complete) {
            take(line);
            open = false;
        }
    }
    if (open && line.NotEmpty())
        take(line);
    Unlock();
    const bool ok = buffer != nullptr && !ferror(f);
    if (!ok)
        OSYSFILE::LastErrorText(error, sizeof(error));
    free(buffer);
    fclose(f);
    LOGIT::Printf("STRINGARRAY::Load returns %d, %s\n", count, ok ? "OK" : error);
    return count;
}

STRING_SIZE_T STRINGARRAY::Find(const char *text, int mode)
{
    const char *t = STR::SafeText(text, "STRINGARRAY::Find");
    if (t == nullptr)
        return -1;
    const int number = static_cast<int>(strtol(t, nullptr, 10));
    STRING_SIZE_T found = -1;
    Lock();
    for (STRING_SIZE_T i = 0; i < ItemCount && found < 0; i++) {
        STRING *item = ppItems[i];
        const char *s = STR::SafeText(item->Buffer, "STRINGARRAY::Find");
        if (s == nullptr)
            continue;
        bool match = false;
        switch (mode) {
        case STRINGARRAY_FIND_EQUAL: match = STR::stricmp(s, t, 0) == 0; break;
        case STRINGARRAY_FIND_BEGINS: match = BeginsNoCase(s, t); break;
        case STRINGARRAY_FIND_CONTAINS: match = item->iPos(t) >= 0; break;
        case STRINGARRAY_FIND_NUMBER: match = static_cast<int>(*item) == number; break;
        default: break;
        }
        if (match)
            found = i;
    }
    Unlock();
    return found;
}
