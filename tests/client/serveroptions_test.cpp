// SERVEROPTIONS: the defaults of the server's options, the telephony location and the SMS gateway
// check.
#include "common/serveroptions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/sms.h"
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

// Fixed answers of the telephony location.
const char *gCountry = "";
const char *gCity = "";
long gLocationResult = 0;
long FixedLocation(STRING &country, STRING &city)
{
    country = gCountry;
    city = gCity;
    return gLocationResult;
}

class SERVEROPTIONSTEST : public ::testing::Test {
protected:
    void SetUp() override
    {
        SMS::ResetForTests();
        gCountry = "+49";
        gCity = "089";
        gLocationResult = 0;
        Write(Folder.File("smsprovider.ini"), "[#0]\nServiceNumber=0193010\nServiceProtocol=UCP\n\n"
                                              "[#1]\nServiceNumber=0193900\nServiceProtocol=TAP\n\n");
    }
    void TearDown() override { SMS::ResetForTests(); }
    int Prepare(HASH &options, bool german = false)
    {
        return SERVEROPTIONS::Prepare(options, german, FixedLocation, Folder.Path().c_str());
    }
    TEMPFOLDER Folder;
};

} // namespace

TEST_F(SERVEROPTIONSTEST, EmptyRecordGets55KeysInOrder)
{
    ASSERT_EQ(SERVEROPTIONS::NUMDEFAULTS, 55);
    LOGCAPTURE capture;
    HASH options;
    EXPECT_EQ(Prepare(options), 0);
    EXPECT_EQ(options.NumKeys(), 55);
    struct CASE {
        const char *key;
        const char *value;
    } cases[] = {
        {"Version", "0.00"},
        {"Logfile", "srvcalls.log"},
        {"LocalInternational", "00"},
        {"LocalOutsideLineIsdn", ""},
        {"FaxSendAttempts", "3"},
        {"FaxSendPauseBetween", "30"},
        {"FaxSendMaxLines", "2"},
        {"SmsSendAttempts", "5"},
        {"SmsSendPauseBetween", "10"},
        {"SmsSendGatewayNumber", "0193010"}, // empty, so the first provider's
        {"ODBCCommand", "SELECT * FROM $tablename WHERE Number LIKE '%$number%' OR NumberFax LIKE '%$number%' OR "
                        "NumberMobile LIKE '%$number%' OR NumberOffice LIKE '%$number%'"},
        {"InternetDunRetryTime", "5"},
        {"InternetDunRetryMax", "2"},
        {"InternetMailAttachWav", "1"},
        {"InternetMailAttachMp3", "0"},
        {"InternetMailAttachPdf", "1"},
        {"InternetMailNotifyText", "PARLOMATIX: $from -> $to - $date - $status"},
        {"LocalCountry", "49"},
        {"LocalAreaCode", "89"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(S(options.Get(c.key)), c.value) << c.key;
    for (int i = 0; i < SERVEROPTIONS::NUMDEFAULTS; ++i)
        EXPECT_FALSE(options.Get(SERVEROPTIONS::DEFAULTS[i].Key).IsNull()) << SERVEROPTIONS::DEFAULTS[i].Key;
    EXPECT_EQ(capture.Failures(), 0);
}

TEST_F(SERVEROPTIONSTEST, ValuesAndEmptyTextsKeptGermanText)
{
    HASH options("FaxSendAttempts=\nLogfile=calls.txt\nSmsSendGatewayNumber=0193900\nInternetMailNotifyText=\n");
    Prepare(options, true);
    EXPECT_EQ(S(options["FaxSendAttempts"]), "");
    EXPECT_EQ(S(options["Logfile"]), "calls.txt");
    EXPECT_EQ(S(options["SmsSendGatewayNumber"]), "0193900"); // a known gateway stays
    EXPECT_EQ(S(options["InternetMailNotifyText"]), "");
    HASH german;
    Prepare(german, true);
    EXPECT_EQ(S(german["InternetMailNotifyText"]), "PARLOMATIX: $von -> $an - $datum - $status");
}

TEST_F(SERVEROPTIONSTEST, TelephonyLocation)
{
    struct CASE {
        const char *country;
        const char *city;
        long result;
        const char *wantCountry;
        const char *wantArea;
    } cases[] = {
        {"+49", "089", 0, "49", "89"},
        {"43", "1", 0, "43", "1"},
        {"++1", "00212", 0, "+1", "0212"}, // one "+" and one "0" only
        {"", "", 0, "", ""},
        {"+49", "089", 1, "49", ""},       // failed: "49" and empty
        {"+33", "01", -5, "49", ""},
    };
    for (const auto &c : cases) {
        gCountry = c.country;
        gCity = c.city;
        gLocationResult = c.result;
        HASH options;
        Prepare(options);
        EXPECT_EQ(S(options["LocalCountry"]), c.wantCountry) << c.country;
        EXPECT_EQ(S(options["LocalAreaCode"]), c.wantArea) << c.city;
    }
    // Without a location function: as failed.
    HASH options("LocalCountry=41\n");
    SERVEROPTIONS::Prepare(options, false, nullptr, Folder.Path().c_str());
    EXPECT_EQ(S(options["LocalCountry"]), "41");
    EXPECT_EQ(S(options["LocalAreaCode"]), "");
}

TEST_F(SERVEROPTIONSTEST, UnknownGatewayReplacedUnlessTheTableIsEmpty)
{
    HASH options("SmsSendGatewayNumber=0800\n");
    Prepare(options);
    EXPECT_EQ(S(options["SmsSendGatewayNumber"]), "0193010");

    SMS::ResetForTests();
    TEMPFOLDER empty;
    Write(empty.File("smsprovider.ini"), "");
    HASH alone("SmsSendGatewayNumber=0800\n");
    LOGCAPTURE capture;
    SERVEROPTIONS::Prepare(alone, false, FixedLocation, empty.Path().c_str());
    EXPECT_EQ(S(alone["SmsSendGatewayNumber"]), "0800");
    EXPECT_EQ(capture.Failures(), 0);
}

TEST_F(SERVEROPTIONSTEST, ClosedAfterwardsAndReturnsTheOldLockState)
{
    HASH options;
    EXPECT_EQ(Prepare(options), 0);
    LOGCAPTURE capture;
    options["SomethingNew"];
    EXPECT_EQ(capture.Conditions(), std::vector<std::string>{"!this->LockTable"});
    options["Version"] = "4.23"; // values still change
    EXPECT_EQ(S(options["Version"]), "4.23");
    EXPECT_EQ(Prepare(options), 1);
}
