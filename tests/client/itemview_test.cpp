// The item store of ITEMVIEW: records found by handle under the items lock, and the unread count.
#include "client/itemview.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/logcapture_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

HASH Item(uint32_t handle, const char *type, const char *seen)
{
    HASH item;
    item.Handle = handle;
    item["Type"] = type;
    if (seen)
        item["MsgSeen"] = seen;
    return item;
}

} // namespace

TEST(ITEMVIEW, FindByHandleUnderTheItemsLock)
{
    ITEMVIEW view(nullptr, nullptr, 2002);
    EXPECT_EQ(S(view.ColumnWidthName), "ListviewColWidths2002");
    HASHLIST &items = view.LockItems();
    items.AddItem(Item(30, "SOUND", nullptr));
    items.AddItem(Item(10, "FAX", "1"));
    items.AddItem(Item(20, "MESSAGE", ""));
    EXPECT_EQ(view.FindItemIdx(10, 1), 1);
    EXPECT_EQ(view.FindItemIdx(20, 0), 2);
    ASSERT_NE(view.GetItem(30), nullptr);
    EXPECT_EQ(S(view.GetItem(30)->Get("Type")), "SOUND");
    view.UnlockItems();

    {
        LOGCAPTURE quiet;
        EXPECT_EQ(view.FindItemIdx(99, 0), -1);
        EXPECT_EQ(view.GetItem(99), nullptr);
        EXPECT_EQ(quiet.Failures(), 0);
    }
    LOGCAPTURE capture;
    EXPECT_EQ(view.FindItemIdx(99, 1), -1);
    EXPECT_EQ(view.GetItem(98, 1), nullptr);
    EXPECT_EQ(capture.Conditions(), (std::vector<std::string>{"!mustfind || idx!=-1", "!mustfind || idx!=-1"}));
}

TEST(ITEMVIEW, UnreadCountsMessagesAndFaxesNotSeen)
{
    ITEMVIEW view(nullptr, nullptr, 2003);
    struct CASE {
        const char *type;
        const char *seen; // null: no key
        bool unread;
    } cases[] = {
        {"MESSAGE", nullptr, true}, {"MESSAGE", "", true},  {"message", "0", true}, {"FAX", "", true},
        {"FAX", "1", false},        {"MESSAGE", "1", false}, {"SOUND", "", false},   {"FAXCALL", "", false},
        {"SMSCALL", "0", false},
    };
    int expected = 0;
    HASHLIST &items = view.LockItems();
    uint32_t handle = 1;
    for (const auto &c : cases) {
        items.AddItem(Item(handle++, c.type, c.seen));
        expected += c.unread ? 1 : 0;
    }
    LOGCAPTURE capture;
    EXPECT_EQ(view.GetNumberOfUnreadMsgs(), expected);
    view.UnlockItems();
    EXPECT_EQ(capture.CountLines("ITEMVIEW::GetNumberOfUnreadMsgs unread entry"), expected);
    EXPECT_EQ(capture.CountLines("ITEMVIEW::GetNumberOfUnreadMsgs rc=4"), 1);

    // The row operations take their arguments and do nothing yet.
    view.ItemToListview(0, 1, 0, 1, 0, ITEMVIEW::FILTER_SETTING, "*");
    view.FillListview(nullptr, ITEMVIEW::FILTER_SETTING);
    view.AutoWidthListview(1, 1);
    view.ClearListview();
    EXPECT_EQ(view.Items.NumItems(), 9);
}
