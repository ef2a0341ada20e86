// SMSDIALOGTABLE: job reports reach only dialogs that are open, whatever numbers arrive.
#include "client/smsdialogtable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FAKEDIALOG : SMSJOBSINK {
    void OnJobCallback(const char *info, unsigned long jobId, const char *appData) override
    {
        Reports.push_back(std::string(info) + "|" + std::to_string(jobId) + "|" + appData);
    }
    std::vector<std::string> Reports;
};

} // namespace

TEST(SMSDIALOGTABLE, ReportsReachOnlyOpenDialogs)
{
    SMSDIALOGTABLE table;
    FAKEDIALOG first, second;
    const unsigned long a = table.Enter(&first);
    const unsigned long b = table.Enter(&second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(a, b);
    const STRING textA = SMSDIALOGTABLE::CallbackText("jo smith@pc", a);
    EXPECT_EQ(std::string(textA), "jo%20smith@pc SMSDIALOGCALLBACK " + std::to_string(a) + " " + std::to_string(a));

    EXPECT_TRUE(table.Deliver(STRING(std::to_string(a).c_str()), STRING("17"), STRING("JOB COMPLETED"), textA));
    ASSERT_EQ(first.Reports.size(), 1u);
    EXPECT_EQ(first.Reports[0], "JOB COMPLETED|17|" + std::string(textA));

    struct CASE {
        std::string self, appData;
    } refused[] = {
        {"99999", "x SMSDIALOGCALLBACK 99999 99999"},                           // never open
        {std::to_string(a), "x SMSDIALOGCALLBACK " + std::to_string(a) + " " + std::to_string(b)}, // mixed up
        {std::to_string(a), ""},                                               // no window word
        {"0x12345678", "x SMSDIALOGCALLBACK 0x12345678 0x12345678"},         // an address, not a number
        {"", ""},
    };
    for (const auto &c : refused)
        EXPECT_FALSE(table.Deliver(STRING(c.self.c_str()), STRING("1"), STRING("STATUS"), STRING(c.appData.c_str())))
            << c.self << " / " << c.appData;

    table.Leave(a);
    EXPECT_FALSE(table.Deliver(STRING(std::to_string(a).c_str()), STRING("18"), STRING("JOB COMPLETED"), textA));
    EXPECT_EQ(first.Reports.size(), 1u);
    EXPECT_TRUE(second.Reports.empty());
    table.Leave(b);
}
