// LISTCHANGE: the records two versions of a list differ in, and the call items they touch.
#include "client/listchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(static_cast<const char *>(s), static_cast<size_t>(s.Length()));
}

HASH Record(std::initializer_list<std::pair<const char *, const char *>> values, uint32_t handle = 0)
{
    HASH record;
    for (const auto &v : values)
        record[v.first] = v.second;
    record.Handle = handle;
    return record;
}

HASHLIST List(std::initializer_list<HASH> records)
{
    HASHLIST list;
    for (const HASH &r : records)
        list.AddItem(const_cast<HASH &>(r));
    return list;
}

// "Name:Value" of every record, joined by blanks.
std::string Names(HASHLIST &list, const char *key = "Value")
{
    std::string out;
    for (int i = 0; i < list.NumItems(); ++i) {
        if (!out.empty())
            out += " ";
        out += S(list[i]->Get("Name")) + ":" + S((*list[i])[key]);
    }
    return out;
}

} // namespace

TEST(LISTCHANGE, DiffKeepsTheChangedAddedAndRemovedRecords)
{
    HASHLIST a = List({Record({{"Name", "Anna"}, {"Value", "1"}}), Record({{"Name", "Bert"}, {"Value", "2"}}),
                       Record({{"Name", "Carl"}, {"Value", "3"}})});
    HASHLIST b = List({Record({{"Name", "Bert"}, {"Value", "2b"}}), Record({{"Name", "Anna"}, {"Value", "1"}}),
                       Record({{"Name", "Dora"}, {"Value", "4"}})});
    HASHLIST out = List({Record({{"Name", "stale"}, {"Value", "0"}})});
    LISTCHANGE::DiffRecordLists(a, b, out);
    EXPECT_EQ(Names(out), "Bert:2 Carl:3 Bert:2b Dora:4");
    EXPECT_EQ(Names(a), "Bert:2 Carl:3");
    EXPECT_EQ(Names(b), "Bert:2b Dora:4");
}

TEST(LISTCHANGE, DiffComparesTheWholeTextForm)
{
    struct CASE {
        HASH a, b;
        bool equal;
    } cases[] = {
        {Record({{"Name", "Anna"}, {"Value", "x"}}), Record({{"Name", "Anna"}, {"Value", "x"}}), true},
        // The order in which the keys were set does not count.
        {Record({{"Name", "Anna"}, {"Value", "x"}}), Record({{"Value", "x"}, {"Name", "Anna"}}), true},
        // Another handle, another value case or a key more: changed.
        {Record({{"Name", "Anna"}}, 4), Record({{"Name", "Anna"}}, 5), false},
        {Record({{"Name", "Anna"}, {"Value", "x"}}), Record({{"Name", "Anna"}, {"Value", "X"}}), false},
        {Record({{"Name", "Anna"}}), Record({{"Name", "Anna"}, {"Extra", ""}}), false},
        // Records without a name compare as well.
        {Record({{"Value", "x"}}), Record({{"Value", "x"}}), true},
    };
    for (size_t n = 0; n < sizeof(cases) / sizeof(cases[0]); ++n) {
        HASHLIST a = List({cases[n].a}), b = List({cases[n].b}), out;
        LISTCHANGE::DiffRecordLists(a, b, out);
        EXPECT_EQ(out.NumItems(), cases[n].equal ? 0 : 2) << n;
    }

    // A record matches one record of the other list only.
    HASHLIST a = List({Record({{"Name", "Anna"}}), Record({{"Name", "Anna"}})});
    HASHLIST b = List({Record({{"Name", "Anna"}})});
    HASHLIST out;
    LISTCHANGE::DiffRecordLists(a, b, out);
    EXPECT_EQ(out.NumItems(), 1);
    EXPECT_EQ(a.NumItems(), 1);
    EXPECT_EQ(b.NumItems(), 0);
}

namespace {

class LISTCHANGEITEMS : public ::testing::Test {
protected:
    void SetUp() override
    {
        items = List({Record({{"CallerNumber", "0301234"}, {"CallerCanonical", "+49301234"}, {"CallerName", "old"},
                              {"CallerIcon", "0"}, {"CallerSubtype", "0"}, {"TargetNumber", "100"},
                              {"TargetName", "old"}, {"TargetIcon", "0"}},
                             1),
                      Record({{"CallerNumber", "0409999"}, {"CallerName", "Gus"}, {"TargetNumber", "200"},
                              {"TargetName", "Fax"}, {"TargetIcon", "0"}},
                             2),
                      Record({{"CallerNumber", "0301777"}, {"CallerName", "Mapi Max"}, {"CallerIcon", "0"},
                              {"CallerSubtype", "0"}, {"CallerAdditionalInfo", "Name=Mapi Max\nNumber=0301777\n"}},
                             3)});
        HASH office = Record({{"Number", "100"}, {"Name", "Office"}, {"CustomIcon", "0"}}, 1);
        HASH fax = Record({{"Number", "200"}, {"Name", "Fax"}, {"CustomIcon", "0"}}, 2);
        targets.AddItem(office);
        targets.AddItem(fax);
    }
    HASHLIST items;
    TARGETS targets;
};

} // namespace

TEST_F(LISTCHANGEITEMS, CallersFoundAgainOrGone)
{
    HASHLIST diff = List({Record({{"Name", "Anna"}, {"Number", "030"}})});
    std::vector<std::string> asked;
    LISTCHANGE::CALLERLOOKUP lookup = [&](const char *number, const char *canonical, HASH &caller, STRING *position) {
        asked.push_back(number);
        (void)canonical;
        if (std::string(number) != "0301234")
            return 0;
        caller = Record({{"Name", "Anna Becker"}, {"CustomIcon", "7"}});
        *position = "2";
        return 1;
    };
    std::vector<int> changed = LISTCHANGE::RefreshItems(items, &diff, nullptr, lookup, targets);
    EXPECT_EQ(changed, std::vector<int>({0})); // the third item's values stay as they were
    EXPECT_EQ(asked, std::vector<std::string>({"0301234", "0301777"})); // only the matching items
    EXPECT_EQ(S(items[0]->Get("CallerName")), "Anna Becker");
    EXPECT_EQ(S(items[0]->Get("CallerIcon")), "7");
    EXPECT_EQ(S(items[0]->Get("CallerSubtype")), "2");
    EXPECT_EQ(S(items[0]->Get("TargetName")), "old"); // no target list given
    EXPECT_EQ(S(items[1]->Get("CallerName")), "Gus");
    // Not in the phone book now: the name of the additional record.
    EXPECT_EQ(S(items[2]->Get("CallerName")), "Mapi Max");
    items[2]->Get("CallerName") = "stale";
    EXPECT_EQ(LISTCHANGE::RefreshItems(items, &diff, nullptr, lookup, targets), std::vector<int>({2}));
    EXPECT_EQ(S(items[2]->Get("CallerName")), "Mapi Max");

    // The same again: nothing changes, nothing is redrawn.
    EXPECT_TRUE(LISTCHANGE::RefreshItems(items, &diff, nullptr, lookup, targets).empty());

    // Gone from the phone book, no additional record: empty name, icon and kind "0".
    lookup = [](const char *, const char *, HASH &, STRING *) { return 0; };
    changed = LISTCHANGE::RefreshItems(items, &diff, nullptr, lookup, targets);
    EXPECT_EQ(changed, std::vector<int>({0}));
    EXPECT_EQ(S(items[0]->Get("CallerName")), "");
    EXPECT_EQ(S(items[0]->Get("CallerIcon")), "0");
    EXPECT_EQ(S(items[0]->Get("CallerSubtype")), "0");

    // The canonical number matches as well.
    HASHLIST international = List({Record({{"Name", "Anna"}, {"Number", "+4930"}})});
    lookup = [](const char *, const char *, HASH &caller, STRING *) {
        caller = Record({{"Name", "Anna"}});
        return 1;
    };
    changed = LISTCHANGE::RefreshItems(items, &international, nullptr, lookup, targets);
    EXPECT_EQ(changed, std::vector<int>({0}));
    EXPECT_EQ(S(items[0]->Get("CallerName")), "Anna");
}

TEST_F(LISTCHANGEITEMS, TargetsNamedAgainOrGone)
{
    HASHLIST diff = List({Record({{"Number", "100"}, {"Name", "Office"}}), Record({{"Number", "300"}})});
    std::vector<int> changed = LISTCHANGE::RefreshItems(items, nullptr, &diff, nullptr, targets);
    EXPECT_EQ(changed, std::vector<int>({0}));
    EXPECT_EQ(S(items[0]->Get("TargetName")), "Office");
    EXPECT_EQ(S(items[0]->Get("TargetIcon")), "0");
    EXPECT_EQ(S(items[0]->Get("CallerName")), "old"); // no caller list given

    targets[0]->Get("CustomIcon") = "412";
    changed = LISTCHANGE::RefreshItems(items, nullptr, &diff, nullptr, targets);
    EXPECT_EQ(changed, std::vector<int>({0}));
    EXPECT_EQ(S(items[0]->Get("TargetIcon")), "412");

    targets.DeleteItem(0);
    changed = LISTCHANGE::RefreshItems(items, nullptr, &diff, nullptr, targets);
    EXPECT_EQ(changed, std::vector<int>({0}));
    EXPECT_EQ(S(items[0]->Get("TargetName")), "");
    EXPECT_EQ(S(items[0]->Get("TargetIcon")), "0");
    EXPECT_EQ(S(items[1]->Get("TargetName")), "Fax");
}
