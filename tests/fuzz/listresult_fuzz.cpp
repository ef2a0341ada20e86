// Feeds arbitrary bytes to the list-result reader, as a server's answer could arrive.  A result
// that reads as a list is written again and must read back with the same number of records.
#include <cstddef>
#include <cstdint>

#include "common/listresult.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 18)
        return 0;
    STRING text = STRING::FromBytes(data, static_cast<STRING_SIZE_T>(size));
    HASHLIST list;
    if (!LISTRESULT::Read(text, list)) {
        Check(list.NumItems() == 0);
        return 0;
    }
    STRING again = LISTRESULT::Make(list);
    HASHLIST back;
    Check(LISTRESULT::Read(again, back));
    Check(back.NumItems() == list.NumItems());
    return 0;
}
