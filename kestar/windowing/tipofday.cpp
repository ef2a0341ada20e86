// The portable part of the tip of the day (see tipofday.h): the tips file, the due rule and the
// choice of the next tip.
#include "kestar/windowing/tipofday.h"

#include <cstring>

namespace {

const char *const kLineTrim = "\r\n \t";

bool BeginsWith(const STRING &line, const char *prefix)
{
    return line.iPos(prefix) == 0;
}

// A finished section: stored when it has text and is meant for this platform.
void StoreTip(STRINGARRAY &tips, const STRING &title, const STRING &platform, STRING &text)
{
    STRING body(text);
    text = "";
    body.Trim('R', "\r\n");
    if (body.IsEmpty())
        return;
    const bool forWindows = platform.Length() == 7 && platform.iPos("windows") == 0;
    if (platform.NotEmpty() && !forWindows)
        return;
    STRING tip;
    if (title.NotEmpty()) {
        tip = title;
        tip += "|";
    }
    tip.SetNotNull();
    tip += body;
    tips.AddItem(tip);
}

} // namespace

namespace TIPOFDAY {

STRINGARRAY ParseTips(const char *content)
{
    STRINGARRAY tips;
    if (content == nullptr)
        return tips;
    STRINGARRAY lines(content, "\n");
    const bool sections = STRING(content).iPos("[TIP]") >= 0;
    STRING title, platform, text;
    for (STRING_SIZE_T i = 0; i < lines.NumItems(); ++i) {
        STRING line(*lines[i]);
        line.SetNotNull();
        line.Trim('B', kLineTrim);
        if (!sections) {
            if (line.NotEmpty())
                tips.AddItem(line);
            continue;
        }
        if (line.Length() == 5 && BeginsWith(line, "[TIP]")) {
            StoreTip(tips, title, platform, text);
            title = "";
            platform = "";
        } else if (BeginsWith(line, "title=")) {
            title = line.Mid(6);
        } else if (BeginsWith(line, "platform=")) {
            platform = line.Mid(9);
            platform.Trim('B', " \t");
        } else if (line.IsEmpty()) {
            text += "\r\n\r\n";
        } else {
            text += line;
            text += " ";
        }
    }
    if (sections)
        StoreTip(tips, title, platform, text);
    return tips;
}

bool IsDue(int style, long long last, long long today, int force, long long *newLast)
{
    bool due;
    switch (style) {
    case STYLE_EVERY_START:
        due = true;
        break;
    case STYLE_DAILY:
        due = last < today;
        break;
    case STYLE_EVERY_SECOND_DAY:
        due = last + 1 < today;
        break;
    case STYLE_WEEKLY:
        due = last + 6 < today;
        break;
    default:
        due = false;
        break;
    }
    if (!due && !force) {
        *newLast = last;
        return false;
    }
    if (last == 0 && !force) {
        *newLast = today - 1;
        return false;
    }
    *newLast = today;
    return true;
}

bool NextTip(STRINGARRAY &tips, int *count, int force, STRING *tip)
{
    const STRING_SIZE_T n = tips.NumItems();
    // With force an empty tip is passed over; one pass over the list is enough to know that all
    // of them are empty.
    for (STRING_SIZE_T tried = 0; tried < n; ++tried) {
        int index = *count;
        if (index < 0 || index >= n)
            index = 0;
        *count = index + 1;
        STRING candidate(*tips[index]);
        candidate.SetNotNull();
        candidate.Trim('B', " \t");
        if (candidate.NotEmpty()) {
            *tip = candidate;
            return true;
        }
        if (!force)
            return false;
    }
    return false;
}

void SplitTip(const STRING &tip, const char *defaultTitle, STRING *title, STRING *text)
{
    STRING_SIZE_T bar = tip.PosChar('|');
    if (bar < 0) {
        *title = defaultTitle ? defaultTitle : "";
        *text = tip;
    } else {
        *title = tip.Left(bar);
        *text = tip.Mid(bar + 1);
    }
}

STRING DialogTitle(const char *ownerTitle, const char *templateTitle)
{
    STRING word = STRING(ownerTitle ? ownerTitle : "").Word(0);
    STRING title;
    title.SetNotNull();
    if (word.NotEmpty() && word[0] != '<') {
        title = word;
        title += " ";
    }
    title += templateTitle ? templateTitle : "";
    return title;
}

long long ReadValue(const STRING &text, long long defaultValue)
{
    if (text.IsEmpty())
        return defaultValue;
    return text.ToInt64();
}

} // namespace TIPOFDAY
