// The list filter of the main window: which items it hides and the text naming it.
#include "client/listfilter.h"

#include <gtest/gtest.h>

#include "lang/resource_ids.h"

namespace {

FIXEDTEXTTABLE Texts()
{
    FIXEDTEXTTABLE texts;
    texts.Set(IDS_LISTFILTER, "All entries|Calls/data|Voice messages|Faxes|Calls/messages/faxes");
    texts.Set(IDS_ARCHIVEFILTER, "Archive");
    return texts;
}

HASHLIST Targets()
{
    return HASHLIST("[1]\nNumber=4711\nName=Office\n[2]\nNumber=SIP-Home\nName=Home\n");
}

} // namespace

TEST(MAINSUPPORT, ListFilterText)
{
    const FIXEDTEXTTABLE texts = Texts();
    HASHLIST targets = Targets();
    struct CASE {
        const char *type;
        const char *target;
        const char *expect;
    } const cases[] = {
        {"*", "*", "All entries"},
        {nullptr, "", "All entries"},
        {"SOUND|IMAGE|DATA", "*", "Calls, data"},
        {"sound|image|data", nullptr, "Calls, data"},
        {"MESSAGE", "*", "Voice messages"},
        {"FAX", "*", "Faxes"},
        {"FAX|FAXCALL|FAXPOLL", "*", "Faxes"},
        {"SOUND|IMAGE|DATA|MESSAGE|FAX|FAXCALL|FAXPOLL", "*", "Calls, messages, faxes"},
        // A filter of its own stands as it is, "/" written ", ".
        {"SMSCALL/MAILCALL", "*", "SMSCALL, MAILCALL"},
        // A target by its name (its number compared ignoring case), an unknown one by its number.
        {"*", "4711", "Office "},
        {"*", "sip-home", "Home "},
        {"*", "0815", "0815 "},
        {"MESSAGE", "4711", "Office (Voice messages)"},
        {"FAX", "0815", "0815 (Faxes)"},
    };
    for (const CASE &c : cases)
        EXPECT_STREQ(LISTFILTER::Text(c.type, c.target, targets, texts, false), c.expect)
            << (c.type ? c.type : "null") << " / " << (c.target ? c.target : "null");
    // The archive names itself, whatever the filter.
    EXPECT_STREQ(LISTFILTER::Text("FAX", "4711", targets, texts, true), "Archive");
}

TEST(MAINSUPPORT, ItemFilteredOut)
{
    HASH fax("Type=FAX\nTargetNumber=4711\n");
    HASH message("Type=message\nTargetNumber=SIP-Home\n");
    HASH bare("Other=1\n");
    struct CASE {
        HASH *item;
        const char *type;
        const char *target;
        int expect;
    } const cases[] = {
        {&fax, "*", "*", 0},
        {&fax, nullptr, "", 0},
        {&fax, "FAX|FAXCALL|FAXPOLL", "*", 0},
        {&fax, "SOUND|IMAGE|DATA", "*", 1},
        {&message, "MESSAGE", "*", 0},   // types compare ignoring case
        {&message, "*", "sip-home", 0},  // so do target numbers
        {&message, "*", "4711", 1},
        {&fax, "FAX", "4711", 0},
        {&fax, "FAX", "0815", 1},
        {&bare, "*", "*", 0},
        {&bare, "FAX", "*", 1},
        {&bare, "*", "4711", 1},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(LISTFILTER::IsItemFilteredOut(*c.item, c.type, c.target), c.expect)
            << (c.type ? c.type : "null") << " / " << (c.target ? c.target : "null");
}
