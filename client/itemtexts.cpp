// The call item texts (see itemtexts.h).
#include "client/itemtexts.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "client/macrotext.h"
#include "kestar/base/logit.h"
#include "kestar/base/osystime.h"
#include "lang/resource_ids.h"

namespace {

// The value of name, empty when the record lacks it (a locked record is never extended).
STRING Value(HASH &record, const char *name)
{
    STRING *value = nullptr;
    if (record.Exists(name, &value) && value && !value->IsNull())
        return *value;
    return STRING("");
}

int Flag(const STRING &text)
{
    return text.NotEmpty() && text.ToInt64() != 0 ? 1 : 0;
}

bool Same(const STRING &a, const char *b)
{
    return STR::stricmp(a.IsNull() ? "" : static_cast<const char *>(a), b) == 0;
}

// Field n of a "|"-separated state; empty when missing.
STRING Field(const STRING &state, int n)
{
    return state.Token(n, "|", STRING_TOKEN_NOTNULL);
}

// Everything from field n on.
STRING FieldsFrom(const STRING &state, int n)
{
    return state.Token(n, "|", STRING_TOKEN_NOTNULL | STRING_TOKEN_REST);
}

bool Present(const STRING &state, int n)
{
    return state.NotEmpty() && state.NumTokens("|") > n;
}

// A whole decimal number from 200 to 299.
bool IsSuccessCode(const STRING &text)
{
    if (text.IsEmpty())
        return false;
    for (STRING_SIZE_T i = 0; i < text.Length(); ++i)
        if (text[static_cast<int>(i)] < '0' || text[static_cast<int>(i)] > '9')
            return false;
    if (text.Length() > 9)
        return false;
    const long value = std::strtol(text, nullptr, 10);
    return value >= 200 && value <= 299;
}

// Days since 1970-01-01 of a calendar date (proleptic Gregorian).
int64_t DayNumber(int year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yoe = year - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int64_t LocalDay(int64_t time)
{
    const OSYS::SYSTIME st = OSYS::TimeToSystemTime(time);
    return DayNumber(st.wYear, st.wMonth, st.wDay);
}

} // namespace

ITEMTEXTS::OPTIONS ITEMTEXTS::ReadOptions(HASH &settings)
{
    OPTIONS options;
    options.NationalFull = Flag(Value(settings, "LocalNationalFull"));
    options.LocalFull = Flag(Value(settings, "LocalLocalFull"));
    options.ShowNumberForKnown = Flag(Value(settings, "ShowNumberForKnownCallers"));
    return options;
}

STRING ITEMTEXTS::ReplacedPart(int id, int part, const char *macro, const STRING &value) const
{
    const MACRO macros[] = {{macro, value}};
    return MACROTEXT::Expand(Texts.Part(id, part), macros, 1);
}

STRING ITEMTEXTS::StatusText(HASH &item) const
{
    const STRING s = Value(item, "Status");
    const STRING s0 = Field(s, 0);
    const STRING second = Field(s, 1);
    const STRING rest = FieldsFrom(s, 1);
    STRING text("");
    if (Same(s, "RINGING"))
        text = Texts.Part(IDS_CALLSTATES, 0);
    else if (Same(s0, "DROPPED"))
        text = ReplacedPart(IDS_CALLSTATES, 1, "$TIME", second);
    else if (Same(s, "OTHER"))
        text = Texts.Part(IDS_CALLSTATES, 2);
    else if (Same(s, "UNKNOWN"))
        text = Texts.Part(IDS_CALLSTATES, 3);
    else if (Same(s, "REJECTED_HARD") || Same(s, "REJECTED_SOFT"))
        text = Texts.Part(IDS_CALLSTATES, 4);
    else if (Same(s, "IGNORED"))
        text = Texts.Part(IDS_CALLSTATES, 5);
    else if (Same(s, "ANNOUNCE"))
        text = Texts.Part(IDS_MESSAGESTATES, 0);
    else if (Same(s, "ANNOUNCEPLAYED"))
        text = Texts.Part(IDS_MESSAGESTATES, 1);
    else if (Same(s, "RECORDING"))
        text = Texts.Part(IDS_MESSAGESTATES, 2);
    else if (Same(s0, "MESSAGE"))
        text = ReplacedPart(IDS_MESSAGESTATES, 3, "$HOWMANY", second);
    else if (Same(s, "CALLEDFORANNOUNCE"))
        text = Texts.Part(IDS_MESSAGESTATES, 4);
    else if (Same(s, "REMOTE"))
        text = Texts.Part(IDS_MESSAGESTATES, 5);
    else if (Same(s, "RECEIVING"))
        text = Texts.Part(IDS_FAXSTATES, 0);
    else if (Same(s, "RECEIVED"))
        text = Texts.Part(IDS_FAXSTATES, 1);
    else if (Same(s0, "FAX"))
        text = ReplacedPart(IDS_FAXSTATES, 2, "$HOWMANY", second);
    else if (Same(s, "FAXERROR"))
        text = Texts.Part(IDS_FAXSTATES, 3);
    else if (Same(s, "JOBPENDING"))
        text = Texts.Get(IDS_JOBPENDING);
    else if (Same(s0, "SMSSTATE"))
        text = TransmissionState(rest);
    else if (Same(s0, "FAXSTATE"))
        text = FaxProgress(rest);
    else if (Same(s0, "MAILSTATE")) {
        text = ReplacedPart(IDS_MAILSTATES, 0, "$CODE", rest);
        text += ReplacedPart(IDS_MAILSTATES, IsSuccessCode(second) ? 1 : 2, "$CODE", rest);
    } else {
        LOGIT::Assert(0, "FALSE", "..\\common\\misccommon", 1285, s, 1);
    }
    const STRING comment = Value(item, "Comment");
    if (comment.NotEmpty()) {
        text += "  [";
        text += comment;
        text += "]";
    }
    return text;
}

STRING ITEMTEXTS::FaxProgress(const STRING &state) const
{
    const STRING f0 = Field(state, 0), f1 = Field(state, 1), f2 = Field(state, 2), f3 = Field(state, 3);
    // The units sent so far, when the state carries them in field n.
    auto units = [&](int n) {
        const STRING value = Field(state, n);
        if (!Present(state, n) || value == STRING("-1"))
            return STRING("");
        return ReplacedPart(IDS_FAXPROGRESS, 8, "$UNITS", value);
    };
    STRING text("");
    if (Same(f0, "CALLING")) {
        const MACRO macros[] = {{"$CURRENT", f1}, {"$TOTAL", f2}};
        text = MACROTEXT::Expand(Texts.Part(IDS_FAXPROGRESS, 0), macros, 2);
    } else if (Same(f0, "JOB") && Same(f1, "RESULT")) {
        text = Texts.Part(IDS_FAXPROGRESS, 3);
        text += Texts.Part(IDS_FAXPROGRESS, Same(f3, "FAILED") ? 5 : 4);
        text += units(4);
    } else if (!Same(f0, "STATUS")) {
        text = state;
    } else if (Same(f1, "ERROR") || Same(f1, "FINALERROR")) {
        text = Texts.Part(IDS_FAXPROGRESS, 1);
        const STRING detail = FieldsFrom(state, 2);
        if (detail.NotEmpty()) {
            text += " - ";
            text += detail;
        }
    } else if (Same(f1, "WAITING")) {
        text = ReplacedPart(IDS_FAXPROGRESS, 2, "$SECONDS", f2);
    } else if (Same(f1, "WAITFORLINE")) {
        text = Texts.Part(IDS_FAXPROGRESS, 11);
    } else if (Same(f1, "CANCEL")) {
        text = Texts.Part(IDS_FAXPROGRESS, 9);
    } else if (Same(f1, "ABORTED")) {
        text = Texts.Part(IDS_FAXPROGRESS, 3);
        text += Texts.Part(IDS_FAXPROGRESS, 6);
        text += units(2);
    } else if (Same(f1, "PROGRESS_PERC")) {
        text = Texts.Part(IDS_FAXPROGRESS, 3);
        text += ReplacedPart(IDS_FAXPROGRESS, 7, "$PERCENT", f2);
        text += units(3);
    } else if (Same(f1, "PROGRESS_KB")) {
        text = Texts.Part(IDS_FAXPROGRESS, 3);
        text += ReplacedPart(IDS_FAXPROGRESS, 10, "$BYTES", f2);
        text += units(3);
    } else {
        text = state;
    }
    return text.IsNull() ? STRING("") : text;
}

STRING ITEMTEXTS::TransmissionState(const STRING &state) const
{
    const STRING f0 = Field(state, 0), f1 = Field(state, 1), f2 = Field(state, 2), f3 = Field(state, 3);
    STRING text("");
    if (Same(f0, "CALLING")) {
        const MACRO macros[] = {{"$NAME", f1}, {"$CURRENT", f2}, {"$TOTAL", f3}};
        text = MACROTEXT::Expand(Texts.Part(IDS_SMSPROGRESS, 0), macros, 3);
    } else if (Same(f0, "JOB") && Same(f1, "RESULT")) {
        text = Texts.Part(IDS_SMSPROGRESS, 3);
        text += Texts.Part(IDS_SMSPROGRESS, Same(f2, "FAILED") ? 5 : 4);
    } else if (Same(f0, "JOB") && Same(f1, "COMPLETED")) {
        text = "";
    } else if (!Same(f0, "STATUS")) {
        text = state;
    } else if (Same(f1, "ERROR")) {
        text = Texts.Part(IDS_SMSPROGRESS, 1);
        text += FieldsFrom(state, 2);
    } else if (Same(f1, "WAITING")) {
        text = ReplacedPart(IDS_SMSPROGRESS, 2, "$SECONDS", f2);
    } else if (Same(f1, "ABORTED")) {
        text = Texts.Part(IDS_SMSPROGRESS, 3);
        text += Texts.Part(IDS_SMSPROGRESS, 6);
    } else {
        text = state;
    }
    return text.IsNull() ? STRING("") : text;
}

STRING ITEMTEXTS::TimeText(HASH &item)
{
    return OSYS::FormatLocalDateTime(Value(item, "LTime").ToInt64());
}

STRING ITEMTEXTS::CallerNumber(HASH &item, const OPTIONS &options) const
{
    const char *key = "CallerBeautified";
    if (options.NationalFull && options.LocalFull)
        key = "CallerBeautifiedNatLocal";
    else if (options.NationalFull)
        key = "CallerBeautifiedNat";
    else if (options.LocalFull)
        key = "CallerBeautifiedLocal";
    const STRING number = Value(item, key);
    if (Same(number, "<unknown>"))
        return Texts.Get(IDS_NUMBERUNKNOWN);
    if (Same(number, "<suppressed>"))
        return Texts.Get(IDS_NUMBERSUPPRESSED);
    if (Same(number, "<unregistered>"))
        return Texts.Get(IDS_NUMBERUNREGISTERED);
    return number;
}

STRING ITEMTEXTS::Target(HASH &item)
{
    STRING text = Value(item, "TargetName");
    if (text.IsEmpty())
        text = Value(item, "TargetNameSrv");
    if (text.IsEmpty())
        text = Value(item, "TargetNumber");
    return text;
}

STRING ITEMTEXTS::Caller(HASH &item, const OPTIONS &options) const
{
    const char *const forms[2][2] = {{"CallerName", "CallerSubtype"}, {"CallerNameSrv", "CallerSubtypeSrv"}};
    for (const auto &form : forms) {
        STRING text = Value(item, form[0]);
        if (text.IsEmpty())
            continue;
        const STRING subtype = Value(item, form[1]);
        if (subtype.NotEmpty() && !(subtype == STRING("0"))) {
            text += " (";
            text += Texts.Part(IDS_CALLERSUBTYPES, static_cast<int>(subtype));
            text += ")";
        }
        return text;
    }
    return CallerNumber(item, options);
}

STRING ITEMTEXTS::CallerFull(HASH &item, const OPTIONS &options) const
{
    STRING text = Caller(item, options);
    const bool named = Value(item, "CallerName").NotEmpty() || Value(item, "CallerNameSrv").NotEmpty();
    if (!named) {
        const STRING location = Value(item, "CallerLocation");
        if (location.NotEmpty()) {
            text += " [";
            text += location;
            text += "]";
        }
    } else if (options.ShowNumberForKnown) {
        text += " [";
        text += CallerNumber(item, options);
        text += "]";
    }
    return text;
}

STRING ITEMTEXTS::TransmissionInfo(HASH &item, const char *templ) const
{
    const STRING unknown = Texts.Get(IDS_NUMBERUNKNOWN);
    STRING info = Value(item, "TransmissionInfo");
    info.Replace("<unknown>", unknown);
    info.Replace("<unset>", unknown);
    info.Replace("<empty>", "");
    info.Replace("NORMAL", Texts.Part(IDS_FAXREPORTWORDS, 0));
    info.Replace("HIGH", Texts.Part(IDS_FAXREPORTWORDS, 1));
    HASH result(info);

    STRING duration = Value(result, "FaxDuration");
    if (duration.NotEmpty() && STR::stricmp(duration, unknown, 0) != 0) {
        duration += " ";
        duration += Texts.Part(IDS_FAXREPORTWORDS, 4);
    }
    // A start time the server did not know stays empty (time 0 would read as now).
    const STRING startTime = Value(result, "FaxStartLTime");
    STRING start("");
    if (startTime.NotEmpty() && STR::stricmp(startTime, unknown, 0) != 0) {
        start = OSYS::FormatLocalDateTime(startTime.ToInt64());
        start.Replace("  ", " ");
    }
    STRING msn = Value(item, "TargetNumber");
    msn += " (";
    msn += Value(item, "TargetNameSrv");
    msn += ")";
    const MACRO macros[] = {
        {"$TYPE", Texts.Part(IDS_FAXREPORTWORDS, Same(Value(item, "Type"), "FAXCALL") ? 2 : 3)},
        {"$CSID", Value(result, "FaxCSID")},
        {"$START", start},
        {"$DURA", duration},
        {"$RES", Value(result, "FaxResolution")},
        {"$PAGES", Value(result, "FaxPages")},
        {"$MODE", Value(result, "FaxTransMode")},
        {"$BIT", Value(result, "FaxBitrate")},
        {"$MSN", msn},
        {"$DEST", Value(item, "CallerNumber")},
        {"$STATUS", StatusText(item)},
    };
    return MACROTEXT::Expand(templ, macros, static_cast<int>(sizeof macros / sizeof macros[0]));
}

STRING ITEMTEXTS::History(HASH &item, DYNARRAY<HASH> &items, int64_t now) const
{
    const STRING canonical = Value(item, "CallerCanonical");
    if (canonical.NotEmpty() && canonical[0] == '<')
        return STRING("");
    struct ENTRY {
        int64_t Time;
        STRING_SIZE_T Index;
    };
    std::vector<ENTRY> entries;
    for (STRING_SIZE_T i = 0; i < items.NumItems(); ++i) {
        HASH *other = items[i];
        if (other && Same(Value(*other, "CallerCanonical"), canonical))
            entries.push_back({Value(*other, "LTime").ToInt64(), i});
    }
    // Newest first; of two at the same time the later in the list.
    std::sort(entries.begin(), entries.end(), [](const ENTRY &a, const ENTRY &b) {
        return a.Time != b.Time ? a.Time > b.Time : a.Index > b.Index;
    });
    if (entries.size() > 6)
        entries.resize(6);

    const int64_t today = LocalDay(now);
    STRING text("\033[-]\n");
    for (const ENTRY &entry : entries) {
        HASH &other = *items[entry.Index];
        const STRING when = OSYS::FormatLocalDateTime(entry.Time);
        STRING_SIZE_T gap = when.Pos("  ");
        const STRING date = gap < 0 ? when : when.Left(gap);
        const STRING clock = gap < 0 ? STRING("") : when.Mid(gap + 2, when.Length() - gap - 2).Left(5);
        const int64_t days = today - LocalDay(entry.Time);
        STRING day;
        if (days == 0)
            day = Texts.Part(IDS_DAYWORDS, 0);
        else if (days == 1)
            day = Texts.Part(IDS_DAYWORDS, 1);
        else if (days >= 2 && days <= 6)
            day = Texts.Part(IDS_DAYWORDS, OSYS::TimeToSystemTime(entry.Time).wDayOfWeek + 2);
        else
            day = date;
        text += "\x0F  ";
        text += day;
        text += " ";
        text += clock;
        text += " - ";
        text += StatusText(other);
        text += "\n";
    }
    return text;
}

POPUPTEXT ITEMTEXTS::FillPopup(HASH &settings, HASH &item, HASH *caller, HASH *target, DYNARRAY<HASH> &items,
                               int64_t now) const
{
    const OPTIONS options = ReadOptions(settings);
    STRING text = Value(settings, "PopupText");
    text.Replace("\r\n", "\n");

    // A caller the server knows more of than a name shows that, one line each.
    STRING from("");
    if (Value(item, "CallerName").IsEmpty()) {
        const char *const infoKeys[] = {"Name", "Address", "City", "Country", "Email", "Comment"};
        for (const char *source : {"CallerAdditionalInfo", "CallerAdditionalInfoSrv"}) {
            HASH info(Value(item, source));
            STRING lines("");
            for (const char *key : infoKeys) {
                const STRING value = Value(info, key);
                if (value.NotEmpty()) {
                    lines += value;
                    lines += "\n";
                }
            }
            if (lines.NotEmpty()) {
                from = "\n\033[-]\n";
                from += lines;
                from += "\033[-]";
                break;
            }
        }
    }
    if (from.IsEmpty())
        from = CallerFull(item, options);

    STRING comment = caller ? Value(*caller, "Comment") : STRING("");
    if (comment.IsEmpty())
        comment = Value(item, "CallerCommentSrv");
    const STRING history = text.Find("$histor") ? History(item, items, now) : STRING("");
    const STRING to = Target(item);
    const MACRO macros[] = {
        {"$to", to},           {"$an", to},
        {"$from", from},       {"$von", from},
        {"$comment", comment}, {"$bemerkung", comment},
        {"$history", history}, {"$historie", history},
    };
    POPUPTEXT popup;
    popup.Text = MACROTEXT::Expand(text, macros, static_cast<int>(sizeof macros / sizeof macros[0]));
    popup.Text.Trim('R', "\r\n");

    auto colour = [](const STRING &value) { return static_cast<int>(static_cast<uint32_t>(value.ToInt64())); };
    popup.TextColor = colour(Value(settings, "PopupTextColor"));
    popup.BackColor = colour(Value(settings, "PopupBackgroundColor"));
    popup.Position = static_cast<int>(Value(settings, "PopupPosition"));
    popup.Blink = Flag(Value(settings, "PopupBlink")) || (caller && Flag(Value(*caller, "Blink"))) ? 1 : 0;
    if (target && Flag(Value(*target, "CustomColor"))) {
        popup.BackColor = colour(Value(*target, "BackColor"));
        popup.TextColor = colour(Value(*target, "TextColor"));
    }
    return popup;
}

STRING FormatFaxProgress(const STRING &state, const TEXTTABLE &texts)
{
    return ITEMTEXTS(texts).FaxProgress(state);
}

STRING FormatTransmissionState(const STRING &state, const TEXTTABLE &texts)
{
    return ITEMTEXTS(texts).TransmissionState(state);
}
