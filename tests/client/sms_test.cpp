// SMS: the provider table read from its file, the gateway choice and the mobile-number check.
#include "common/sms.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

void Write(const std::string &path, const std::string &text)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

const char *const kProviders = "[#0]\r\n"
                               "Prefix=0170|0171\r\n"
                               "ServiceName=Netz Eins SMS\r\n"
                               "ServiceNumber=0193010\r\n"
                               "ServiceProtocol=UCP\r\n"
                               "IsdnProtocol=DATA\r\n"
                               "\r\n"
                               "[#1]\r\n"
                               "Prefix=0172|0173\r\n"
                               "ServiceName=Zwei\r\n"
                               "ServiceNumber=0193900a\r\n"
                               "ServiceProtocol=TAP\r\n"
                               "\r\n";

class SMSTEST : public ::testing::Test {
protected:
    void SetUp() override { SMS::ResetForTests(); }
    void TearDown() override { SMS::ResetForTests(); }
    TEMPFOLDER Folder;
};

} // namespace

TEST_F(SMSTEST, ProvidersGetTheSixKeysAndDashedNames)
{
    Write(Folder.File("smsprovider.ini"), kProviders);
    HASHLIST table;
    {
        LOGCAPTURE quiet;
        ASSERT_EQ(SMS::LoadProviders(Folder.Path().c_str(), 0), 1);
        table = SMS::GetProviders(nullptr);
        EXPECT_EQ(quiet.Failures(), 0);
    }
    ASSERT_EQ(table.NumItems(), 2);
    EXPECT_EQ(S(table[0]->Get("ServiceName")), "Netz-Eins-SMS");
    EXPECT_EQ(table[1]->NumKeys(), 6);
    EXPECT_EQ(S(table[1]->Get("ModemProtocol")), "");
    EXPECT_EQ(S(table[1]->Get("IsdnProtocol")), "");
    // The records are closed to other keys.
    LOGCAPTURE capture;
    table[0]->operator[]("Extra");
    EXPECT_EQ(capture.Conditions(), std::vector<std::string>{"!this->LockTable"});
}

TEST_F(SMSTEST, LoadedOnceUnlessForcedAndTheInfFallback)
{
    // Only ".inf": that one is read.
    Write(Folder.File("smsprovider.inf"), "[#0]\nServiceNumber=111\nServiceProtocol=V23\n\n");
    ASSERT_EQ(SMS::LoadProviders(Folder.Path().c_str(), 0), 1);
    EXPECT_EQ(S(SMS::GetProviders(nullptr)[0]->Get("ServiceNumber")), "111");

    // A later file is ignored until a forced load, which takes ".ini" over ".inf".
    Write(Folder.File("smsprovider.ini"), kProviders);
    EXPECT_EQ(SMS::GetProviders(Folder.Path().c_str()).NumItems(), 1);
    ASSERT_EQ(SMS::LoadProviders(Folder.Path().c_str(), 1), 1);
    EXPECT_EQ(SMS::GetProviders(nullptr).NumItems(), 2);

    // A missing file: "FALSE", the table stays.
    TEMPFOLDER empty;
    LOGCAPTURE capture;
    EXPECT_EQ(SMS::LoadProviders(empty.Path().c_str(), 1), 1);
    EXPECT_EQ(capture.Conditions(), std::vector<std::string>{"FALSE"});
    EXPECT_EQ(SMS::GetProviders(nullptr).NumItems(), 2);
}

TEST_F(SMSTEST, DisallowedValuesNameTheAllowedOnes)
{
    Write(Folder.File("smsprovider.ini"), "[#0]\nServiceNumber=1\nServiceProtocol=SMPP\nIsdnProtocol=DATA_X75\n"
                                          "ModemProtocol=SOUND\n\n[#1]\nServiceNumber=2\nModemProtocol=FAST\n\n");
    LOGCAPTURE capture;
    SMS::LoadProviders(Folder.Path().c_str(), 0);
    EXPECT_EQ(capture.Conditions(), (std::vector<std::string>{"ServiceProtocol must be TAP, UCP or V23",
                                                              "IsdnProtocol must be empty, DATA, DATA_T90, DATA_V120 or SOUND",
                                                              "ServiceProtocol must be TAP, UCP or V23",
                                                              "ModemProtocol must be empty, DATA or SOUND"}));
    EXPECT_EQ(capture.InfoOf("IsdnProtocol must be empty, DATA, DATA_T90, DATA_V120 or SOUND"),
              "ServiceNumber=1, IsdnProtocol=DATA_X75");
    EXPECT_EQ(SMS::GetProviders(nullptr).NumItems(), 2); // the records stay
}

TEST_F(SMSTEST, GatewayChoiceAndPrefixes)
{
    Write(Folder.File("smsprovider.ini"), kProviders);
    LOGCAPTURE capture;
    // Found ignoring case.
    EXPECT_EQ(SMS::SelectGateway(5, 10, 1, "0193900A", Folder.Path().c_str()), 1);
    EXPECT_EQ(SMS::GetSelectedIndex(), 1);
    EXPECT_EQ(SMS::GetAttempts(), 5);
    EXPECT_EQ(SMS::GetPauseBetween(), 10);
    EXPECT_EQ(S(SMS::GetServiceProtocol()), "TAP");
    struct CASE {
        const char *number;
        int prefix;
    } cases[] = {{"01721234", 1}, {"01731234", 1}, {"0173", 1}, {"017", 0}, {"01701234", 0},
                 {"", 0},        {nullptr, 0},    {"+491721234", 0}};
    for (const auto &c : cases) {
        EXPECT_EQ(SMS::IsProviderPrefix(c.number, nullptr), c.prefix) << (c.number ? c.number : "null");
        EXPECT_EQ(SMS::CheckMobileNumber(c.number, nullptr), c.prefix) << (c.number ? c.number : "null");
    }
    // An unknown gateway selects the first record and says -1.
    EXPECT_EQ(SMS::SelectGateway(3, 30, 0, "0800", nullptr), -1);
    EXPECT_EQ(SMS::GetSelectedIndex(), 0);
    EXPECT_EQ(S(SMS::GetServiceProtocol()), "UCP");
    EXPECT_EQ(SMS::IsProviderPrefix("01711", nullptr), 1);
    // The check flag off passes every number.
    for (const char *number : {"01711", "0301234", "", "abc"})
        EXPECT_EQ(SMS::CheckMobileNumber(number, nullptr), 1) << number;
    EXPECT_EQ(capture.Failures(), 0);
}

TEST_F(SMSTEST, PrefixListEndsAtTheFirstEmptyPiece)
{
    Write(Folder.File("smsprovider.ini"), "[#0]\nPrefix=a||b\nServiceNumber=1\nServiceProtocol=TAP\n\n");
    SMS::SelectGateway(1, 1, 1, "1", Folder.Path().c_str());
    EXPECT_EQ(SMS::IsProviderPrefix("a1", nullptr), 1);
    EXPECT_EQ(SMS::IsProviderPrefix("b1", nullptr), 0);
    EXPECT_EQ(SMS::IsProviderPrefix("A1", nullptr), 0); // case-sensitive
}

TEST_F(SMSTEST, EmptyTableSelectsNothingAndNeverStops)
{
    Write(Folder.File("smsprovider.ini"), "");
    LOGCAPTURE capture;
    EXPECT_EQ(SMS::SelectGateway(5, 10, 1, "0193010", Folder.Path().c_str()), -1);
    EXPECT_EQ(SMS::GetSelectedIndex(), -1);
    // The dialog's check of a typed number: no index assertion, no stop; the number fails.
    EXPECT_EQ(SMS::CheckMobileNumber("01701234", nullptr), 0);
    EXPECT_EQ(S(SMS::GetServiceProtocol()), "");
    EXPECT_EQ(capture.Conditions(),
              (std::vector<std::string>{"SMS::SendServiceIdx!=-1", "SMS::SendServiceIdx!=-1"}));
}

TEST_F(SMSTEST, ForcedReloadDropsTheSelection)
{
    Write(Folder.File("smsprovider.ini"), kProviders);
    ASSERT_EQ(SMS::SelectGateway(5, 10, 0, "0193900a", Folder.Path().c_str()), 1);
    TEMPFOLDER other;
    Write(other.File("smsprovider.ini"), "[#0]\nServiceNumber=9\nServiceProtocol=V23\n\n");
    ASSERT_EQ(SMS::LoadProviders(other.Path().c_str(), 1), 1);
    EXPECT_EQ(SMS::GetSelectedIndex(), -1);
    EXPECT_EQ(SMS::SelectGateway(5, 10, 0, "9", nullptr), 0);
    EXPECT_EQ(S(SMS::GetServiceProtocol()), "V23");
}
