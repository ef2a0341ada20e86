// The mailslot record: writing and reading.  The running number is one atomic counter for the
// whole process, so two broadcasts written at the same moment never share a header (the second
// would be dropped as a repeat by every reader).
#include "common/mailrecord.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kestar/base/logit.h"

std::atomic<unsigned> MAILRECORD::RunningNumber{0};

namespace {

STRING Underscored(const char *text)
{
    STRING s(text ? text : "");
    s.Replace(".", "_");
    return s;
}

} // namespace

MAILRECORD::MAILRECORD(const char *ownName) : OwnName(Underscored(ownName)), Partner("*")
{
    Received.SetNotNull();
}

void MAILRECORD::SetPartner(const char *server)
{
    STRING host(server ? server : "");
    host = host.Token(0, ":", STRING_TOKEN_NOTNULL);
    lock.Enter();
    Partner = Underscored(host);
    lock.Leave();
}

void MAILRECORD::SetWorkFolder(const char *folder)
{
    lock.Enter();
    WorkFolder = folder ? folder : "";
    lock.Leave();
}

unsigned MAILRECORD::PeekNumber()
{
    return RunningNumber.load();
}

void MAILRECORD::SetNumberForTests(unsigned next)
{
    RunningNumber.store(next);
}

STRING MAILRECORD::Write(const char *payload, const char *addressee)
{
    const char *data = payload ? payload : "";
    ORVAK_ASSERT(std::strlen(data) < 400);
    STRING body(data);
    body.Replace("\n", "\x01");
    const char *to = (addressee && *addressee) ? addressee : "*";

    const unsigned number = RunningNumber.fetch_add(1);
    // The header buffer holds 127 bytes: the header is cut to 126 characters.
    char header[127];
    std::snprintf(header, sizeof header, "%04x.%s.%s", number, static_cast<const char *>(OwnName), to);

    STRING record("[");
    record += header;
    record += "]";
    record += body;
    record += "\n";

    lock.Enter();
    LastHeaders[OwnName] = header;
    if (WorkFolder.NotEmpty() && WorkFolder != ".") {
        STRING from("FILE ");
        from += WorkFolder;
        record.Replace(from, "FILE .");
    }
    lock.Leave();
    return record;
}

int MAILRECORD::Feed(const void *data, int length, std::vector<ENTRY> &out)
{
    int accepted = 0;
    std::vector<STRING> records;
    lock.Enter();
    if (data && length > 0)
        Received.BINARY::Append(data, length);
    STRING_SIZE_T lf;
    while ((lf = Received.PosChar('\n')) >= 0) {
        if (Discarding) // the end of a record dropped for its length
            Discarding = false;
        else
            records.push_back(Received.Left(lf));
        Received.DeleteLeft(lf + 1);
    }
    // A peer that never ends its record would grow the buffer without bound: the record is
    // dropped, up to its line feed still to come.
    const STRING_SIZE_T pending = Received.Length();
    if (pending > MAXPENDING) {
        Received = "";
        if (!Discarding)
            LOGIT::Printf("MAILRECORD::Feed dropped a record of more than %d bytes without a line feed\n", MAXPENDING);
        Discarding = true;
    }
    lock.Leave();
    for (STRING &record : records) {
        ENTRY entry;
        if (Accept(record, entry)) {
            out.push_back(entry);
            ++accepted;
        }
    }
    return accepted;
}

bool MAILRECORD::Accept(STRING record, ENTRY &entry)
{
    ORVAK_ASSERT(record.Length() > 0 && record[0] == '[');
    record.Trim('B', "[\n");
    const STRING_SIZE_T close = record.PosChar(']');
    STRING header = close >= 0 ? record.Left(close) : record;
    STRING payload = close >= 0 ? record.Mid(close + 1) : STRING();
    STRING idd = header.Token(0, ".");
    STRING sender = header.Token(1, ".");
    STRING addressee = header.Token(2, ".");
    if (sender.IsEmpty())
        sender = "ANONYMOUS";
    if (addressee.IsEmpty())
        addressee = "*";
    // A record without number, header or payload carries no command: reported and dropped.
    if (!ORVAK_ASSERT(idd.NotEmpty()) || !idd.NotEmpty())
        return false;
    if (!ORVAK_ASSERT(header.NotEmpty() && payload.NotEmpty()) || header.IsEmpty() || payload.IsEmpty())
        return false;

    lock.Enter();
    STRING *last = nullptr;
    bool drop = false;
    if (LastHeaders.Exists(sender, &last) && last && *last == header) {
        LOGIT::Printf("MAILRECORD::Feed ignored double %s\n", static_cast<const char *>(header));
        drop = true;
    } else if (addressee != "*" && addressee != OwnName) {
        LOGIT::Printf("MAILRECORD::Feed we are not addressee %s\n", static_cast<const char *>(header));
        drop = true;
    } else if (Partner.NotEmpty() && Partner != "*" && !Partner.iFind(sender)) {
        LOGIT::Printf("MAILRECORD::Feed send is not our comm partner %s\n", static_cast<const char *>(header));
        drop = true;
    } else {
        LastHeaders[sender] = header;
    }
    lock.Leave();
    if (drop)
        return false;

    payload.Replace("\x01", "\n");
    entry.Number = static_cast<int>(std::strtoul(idd, nullptr, 16));
    entry.Sender = sender;
    entry.Addressee = addressee;
    entry.Payload = payload;
    return true;
}
