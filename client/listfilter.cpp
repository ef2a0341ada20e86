// LISTFILTER: the list filter and its caption text (see listfilter.h).
#include "client/listfilter.h"

#include "lang/resource_ids.h"

namespace {

STRING Value(HASH &record, const char *name)
{
    STRING *value = nullptr;
    return record.Exists(name, &value) && value && !value->IsNull() ? *value : STRING("");
}

// The type filter's part of text 2987, or 0 for a filter of its own.
int TypeWordPart(const STRING &filter)
{
    struct NAMED {
        const char *Filter;
        int Part;
    } const named[] = {
        {"SOUND|IMAGE|DATA", 1},
        {"MESSAGE", 2},
        {"FAX", 3},
        {"FAX|FAXCALL|FAXPOLL", 3},
        {"SOUND|IMAGE|DATA|MESSAGE|FAX|FAXCALL|FAXPOLL", 4},
    };
    for (const NAMED &n : named)
        if (filter == n.Filter) // STRING equality ignores case
            return n.Part;
    return 0;
}

} // namespace

bool LISTFILTER::IsSet(const char *filter)
{
    return filter && *filter && !(filter[0] == '*' && filter[1] == 0);
}

int LISTFILTER::IsItemFilteredOut(HASH &item, const char *typeFilter, const char *targetFilter)
{
    if (IsSet(typeFilter)) {
        const STRING type = Value(item, "Type");
        const STRING types(typeFilter);
        const int n = types.NumTokens("|");
        bool listed = false;
        for (int i = 0; i < n && !listed; ++i)
            listed = types.Token(i, "|", STRING_TOKEN_NOTNULL) == type;
        if (!listed)
            return 1;
    }
    if (IsSet(targetFilter) && Value(item, "TargetNumber") != STRING(targetFilter))
        return 1;
    return 0;
}

STRING LISTFILTER::Text(const char *typeFilter, const char *targetFilter, HASHLIST &targets, const TEXTTABLE &texts,
                        bool archive)
{
    if (archive)
        return texts.Get(IDS_ARCHIVEFILTER);
    STRING text("");
    if (IsSet(targetFilter)) {
        STRING name;
        const STRING number(targetFilter);
        targets.Lock();
        for (int i = 0; i < targets.NumItems() && name.IsNull(); ++i)
            if (Value(*targets[i], "Number") == number)
                name = Value(*targets[i], "Name");
        targets.Unlock();
        text += name.IsNull() ? number : name;
        text += " ";
    }
    if (IsSet(typeFilter)) {
        const STRING filter(typeFilter);
        const int part = TypeWordPart(filter);
        STRING word = part ? texts.Part(IDS_LISTFILTER, part) : filter;
        word.Replace("/", ", ");
        if (text.NotEmpty())
            text += "(";
        text += word;
        if (text.FindChar('('))
            text += ")";
    }
    if (text.IsEmpty())
        return texts.Part(IDS_LISTFILTER, 0);
    return text;
}
