// MAPICLASS where MAPI is missing or has nothing to log on to: the object is not up and running,
// and using it anyway is an assertion failure, not a crash.
#include <gtest/gtest.h>

#include "kestar/devices/mapiclass.h"
#include "tests/support/logcapture_support.h"

#include <string>

TEST(MAPICLASS_NOTAVAILABLE, IsNotUpAndRunning)
{
    LOGCAPTURE log;
    {
        MAPICLASS mapi;
        EXPECT_FALSE(mapi.IsUpAndRunning());
        HASHLIST list;
        BINARY id;
        EXPECT_EQ(mapi.GetNumMessageStores(), 0);
        EXPECT_EQ(mapi.QueryAllAddressBooks(0), 0);
        EXPECT_EQ(mapi.GetNumAddressBooks(), 0);
        EXPECT_EQ(mapi.GetAddressBookName(0).Length(), 0);
        EXPECT_FALSE(mapi.GetDefaultMessageStoreId(id));
        EXPECT_EQ(mapi.GetSelAdrBookEntries(0, list, "123"), 0);
        EXPECT_EQ(list.NumItems(), 0);
    }
    for (const std::string &condition : log.Conditions())
        EXPECT_EQ(condition, "this->IsUpAndRunning()");
    EXPECT_EQ(log.Conditions().size(), 6u);
    EXPECT_EQ(log.CountLines("MAPICLASS::~Destructor done"), 1);
}
