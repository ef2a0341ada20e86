// Feeds arbitrary bytes to the mailslot record reader, as any program on the network could send
// them, and splits every accepted record's payload as a broadcast line.  Besides memory errors it
// checks that an accepted payload, written again, reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/broadcastline.h"
#include "common/mailrecord.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    MAILRECORD reader("fuzz.host");
    if (size > 0 && (data[0] & 1))
        reader.SetPartner("srv.example:6666");
    // In two pieces, as two reads of the slot would deliver them.
    const size_t half = size / 2;
    std::vector<MAILRECORD::ENTRY> entries;
    reader.Feed(data, static_cast<int>(half), entries);
    reader.Feed(data + half, static_cast<int>(size - half), entries);
    for (MAILRECORD::ENTRY &e : entries) {
        Check(e.Payload.NotEmpty() && e.Sender.NotEmpty() && e.Addressee.NotEmpty());
        HASH params;
        STRING command = BROADCASTLINE::Split(e.Payload, e.Sender, params);
        Check(params.FindKey("@Sender") >= 0);
        (void)command;
        const bool plain = std::memchr(e.Payload.GetBuffer(), 0, static_cast<size_t>(e.Payload.Length())) == nullptr;
        if (plain && e.Payload.Length() < 400) {
            MAILRECORD writer("writer");
            STRING record = writer.Write(e.Payload, nullptr);
            MAILRECORD again("reader");
            std::vector<MAILRECORD::ENTRY> back;
            again.Feed(record.GetBuffer(), record.Length(), back);
            Check(back.size() == 1);
            Check(back[0].Payload.Length() == e.Payload.Length() &&
                  std::memcmp(back[0].Payload.GetBuffer(), e.Payload.GetBuffer(), static_cast<size_t>(e.Payload.Length())) == 0);
        }
    }
    return 0;
}
