// Fuzz target: the texts of a call item from arbitrary input.  The input's lines are a status, a
// progress state and a "TransmissionInfo" record text (the rest); each goes through the text
// functions with a fixed string table, and a whole item through the pop-up and the call-log line.
// No crash, no sanitizer report; the progress texts of states without a known word come back as
// they came.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "client/callhelpers.h"
#include "client/itemtexts.h"
#include "kestar/base/hashlist.h"
#include "lang/resource_ids.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

const FIXEDTEXTTABLE &Table()
{
    static FIXEDTEXTTABLE table = [] {
        FIXEDTEXTTABLE t;
        t.Set(IDS_CALLSTATES, "Ringing|Hung up at $TIME|Taken elsewhere|Unknown|Rejected|Ignored");
        t.Set(IDS_MESSAGESTATES, "Ann|Played|Recording|$HOWMANY messages|Called|Remote");
        t.Set(IDS_FAXSTATES, "Receiving|Received|$HOWMANY pages|Failed");
        t.Set(IDS_JOBPENDING, "Pending");
        t.Set(IDS_SMSPROGRESS, "SMS $NAME $CURRENT/$TOTAL|Error: |Wait $SECONDS|SMS| sent| failed| aborted");
        t.Set(IDS_FAXPROGRESS, "Call $CURRENT/$TOTAL|Error|Wait $SECONDS|Fax| sent| failed| aborted| $PERCENT%|"
                               " ($UNITS units)|Cancel| $BYTES KB|Line");
        t.Set(IDS_MAILSTATES, "Mail| sent ($CODE)| failed ($CODE)");
        t.Set(IDS_NUMBERUNKNOWN, "Unknown");
        t.Set(IDS_NUMBERSUPPRESSED, "Withheld");
        t.Set(IDS_NUMBERUNREGISTERED, "Unregistered");
        t.Set(IDS_CALLERSUBTYPES, "Phone|Fax|Mobile|Office|Data");
        t.Set(IDS_DAYWORDS, "Today|Yesterday|Sun|Mon|Tue|Wed|Thu|Fri|Sat");
        t.Set(IDS_FAXREPORTWORDS, "Normal|High|Sent|Received|s|$PAGES more");
        t.Set(IDS_FAXREPORT, "$TYPE $CSID $START $DURA $RES $PAGES $MODE $BIT $MSN $DEST $STATUS");
        return t;
    }();
    return table;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Unknown states are quiet assertions; keep any box away all the same.
    setenv("ORVAKNOASSERT", "1", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const STRING input = STRING::FromBytes(data, static_cast<STRING_SIZE_T>(size));
    const STRING status = input.GetLine(0);
    const STRING progress = input.GetLine(1);
    const STRING info = input.GetLine(2, true);
    ITEMTEXTS texts(Table());

    const STRING fax = texts.FaxProgress(progress);
    const STRING sms = texts.TransmissionState(progress);
    Check(!fax.IsNull() && !sms.IsNull());
    const STRING first = progress.Token(0, "|", STRING_TOKEN_NOTNULL);
    if (!first.IsEmpty() && !(first == STRING("STATUS")) && !(first == STRING("CALLING")) && !(first == STRING("JOB")))
        Check(fax == progress && sms == progress);

    HASH item;
    item["Status"] = status;
    item["Type"] = size % 2 ? "FAXCALL" : "SOUND";
    item["TransmissionInfo"] = info;
    item["CallerCanonical"] = progress;
    item["CallerBeautified"] = status;
    item["CallerName"] = size % 3 ? "" : "Anna";
    item["CallerAdditionalInfoSrv"] = info;
    item["CallerSubtypeSrv"] = progress;
    item["CallerNameSrv"] = status;
    item["LTime"] = progress;
    item["Comment"] = size % 5 ? "" : "comment";
    item.AllowNewKeys(0);
    texts.StatusText(item);
    texts.TransmissionInfo(item, Table().Get(IDS_FAXREPORT));
    ITEMTEXTS::OPTIONS options;
    options.ShowNumberForKnown = 1;
    texts.CallerFull(item, options);

    HASHLIST items;
    items.AddItem(item);
    items.AddItem(item);
    HASH settings;
    settings["PopupText"] = "$from $to $comment $history";
    texts.FillPopup(settings, item, nullptr, nullptr, items, 1773309600);
    const STRING line = CALLHELPERS::CallLogLine(item, static_cast<int>(size % 2), ";", Table());
    Check(line.Length() >= 2 && line.Right(2) == STRING("\r\n"));
    return 0;
}
