// WINRAS where the remote access library is missing or lists nothing: an empty list, never a
// failure of the program.
#include <gtest/gtest.h>

#include "kestar/devices/winras.h"
#include "tests/support/logcapture_support.h"

TEST(WINRAS_NOTAVAILABLE, GivesAnEmptyList)
{
    LOGCAPTURE log;
    {
        WINRAS ras;
        WINRAS other;
        STRING list = ras.GetEntryList();
        EXPECT_FALSE(list.IsNull());
        EXPECT_EQ(list.Length(), 0);
        EXPECT_EQ(other.GetEntryList().Length(), 0);
    }
    EXPECT_FALSE(WINRAS::IsLibraryLoaded());
    EXPECT_TRUE(log.Conditions().empty());
}
