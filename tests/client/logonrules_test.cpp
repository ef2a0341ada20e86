// LOGONRULES and PROVIDERFILE: the logon's decisions and the provider file of the logon.
#include "client/logonrules.h"
#include "client/providerfile.h"

#include <gtest/gtest.h>

#include <string>

#include "kestar/base/filename.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// A path of the system ("\" separators) for the test's own file helpers.
std::string Path(const STRING &folder, const char *name)
{
    std::string path = S(FILENAME(folder, name).GetString());
#if !defined(_WIN32)
    for (char &c : path)
        if (c == '\\')
            c = '/';
#endif
    return path;
}

} // namespace

TEST(SESSION, LoginAnswers)
{
    struct CASE {
        const char *ok;
        const char *version;
        bool stored;
        LOGONRULES::NEXT expect;
    } cases[] = {
        {"PASSWORD_REQUIRED", nullptr, true, LOGONRULES::USE_STORED},
        {"PASSWORD_REQUIRED", nullptr, false, LOGONRULES::ASK_PASSWORD},
        {"password_wrong", nullptr, true, LOGONRULES::USE_STORED},
        {"PASSWORD_WRONG", nullptr, false, LOGONRULES::ASK_PASSWORD},
        {"SERVER_IS_STARTING", nullptr, false, LOGONRULES::WAIT_STARTING},
        {"CLIENT_NOT_FOUND", nullptr, true, LOGONRULES::CLIENT_NOT_FOUND},
        {"DIFFERENT_COMM_VERSION", "1004_421", false, LOGONRULES::WRONG_VERSION},
        {"SUCCESSFUL", "1004_421", false, LOGONRULES::SUCCESS},
        {"successful", "1004_421", false, LOGONRULES::SUCCESS},
        {"SUCCESSFUL", nullptr, false, LOGONRULES::WRONG_VERSION},  // "n/a"
        {"SUCCESSFUL", "1003_400", false, LOGONRULES::WRONG_VERSION},
        {"SUCCESSFUL", "", false, LOGONRULES::WRONG_VERSION},
        {"MAYBE", "1004_421", true, LOGONRULES::REFUSED},
        {"", nullptr, true, LOGONRULES::REFUSED},
        {nullptr, nullptr, false, LOGONRULES::REFUSED},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LOGONRULES::Answer(c.ok, c.version, c.stored), c.expect)
            << (c.ok ? c.ok : "<null>") << " " << (c.version ? c.version : "<null>");
}

TEST(SESSION, WelcomeNamesTheServer)
{
    struct CASE {
        const char *sender;
        const char *port;
        bool taken;
        const char *server;
    } cases[] = {
        {"standin@pbx1", "6666", true, "pbx1"},
        {"standin@pbx1", "7000", true, "pbx1:7000"},
        {"standin@pbx1", nullptr, true, "pbx1"},
        {"a@b@c", "7000", true, "b@c:7000"},
        {"standin@", "7000", false, "old"},
        {"standin", "7000", false, "old"},
        {"", nullptr, false, "old"},
        {nullptr, nullptr, false, "old"},
        {"standin@pbx1", "", false, "old"},
        {"standin@pbx1", "70x0", false, "old"},
        {"standin@pbx1", "-1", false, "old"},
        {"standin@pbx1", "0", false, "old"},
        {"standin@pbx1", "65536", false, "old"},
        {"standin@pbx1", "65535", true, "pbx1:65535"},
    };
    for (const auto &c : cases) {
        STRING server("old");
        EXPECT_EQ(LOGONRULES::WelcomeServer(c.sender, c.port, server), c.taken) << (c.sender ? c.sender : "<null>");
        EXPECT_EQ(S(server), c.server) << (c.sender ? c.sender : "<null>");
    }
}

TEST(SESSION, FirstIdByTheLocalListRule)
{
    bool reset = true;
    EXPECT_EQ(LOGONRULES::FirstId(true, true, 120, 130, reset), 120u);
    EXPECT_FALSE(reset);
    EXPECT_EQ(LOGONRULES::FirstId(true, false, 0, 130, reset), 131u);
    EXPECT_FALSE(reset);
    EXPECT_EQ(LOGONRULES::FirstId(true, false, 0, 0, reset), 1u);
    EXPECT_EQ(LOGONRULES::FirstId(false, true, 120, 130, reset), 0u);
    EXPECT_TRUE(reset);
}

TEST(SESSION, ConnectivityTexts)
{
    EXPECT_EQ(S(LOGONRULES::ServerPort("pbx1")), "6666");
    EXPECT_EQ(S(LOGONRULES::ServerPort("pbx1:7000")), "7000");
    EXPECT_EQ(S(LOGONRULES::ServerPort("[::1]:7000")), "7000");
    EXPECT_EQ(S(LOGONRULES::ServerPort(nullptr)), "6666");
    // The longer placeholders first; the case of a placeholder must match.
    EXPECT_EQ(S(LOGONRULES::CallFailedText("$S port $SP, $s", "7000", "pbx1:7000")), "pbx1:7000 port 7000, $s");
    EXPECT_EQ(S(LOGONRULES::RefusedText("$C:$CP to $S", "6667", "pc7", "pbx1")), "pc7:6667 to pbx1");
}

TEST(SESSION, LocalServerByStationName)
{
    EXPECT_TRUE(LOGONRULES::IsLocalServer("PC7", "pc7"));
    EXPECT_FALSE(LOGONRULES::IsLocalServer("pc7x", "pc7"));
    EXPECT_FALSE(LOGONRULES::IsLocalServer("", ""));
    EXPECT_FALSE(LOGONRULES::IsLocalServer(nullptr, "pc7"));
}

TEST(SESSION, ProviderFileAnswers)
{
    struct CASE {
        const char *answer;
        bool ok;
        const char *bytes;
    } cases[] = {
        {"W1NNU10=", true, "[SMS]"},
        {"W1NN\r\nU10=\r\n", true, "[SMS]"},
        {"YWJj", true, "abc"},
        {"", false, ""},
        {"<NOK>", false, ""},
        {"<NULL>", false, ""},
        {"W1NNU10", false, ""},     // a cut group
        {"W1NN=U10", false, ""},    // padding inside
        {"YW===", false, ""},
        {"YW=\x01", false, ""},
        {"====", false, ""},
    };
    for (const auto &c : cases) {
        STRING bytes("unchanged");
        EXPECT_EQ(PROVIDERFILE::Decode(STRING(c.answer), bytes), c.ok) << c.answer;
        EXPECT_EQ(S(bytes), c.ok ? c.bytes : "unchanged") << c.answer;
    }
}

TEST(SESSION, ProviderFileInAFolderOfItsOwn)
{
    TEMPFOLDER temp;
    // An unrelated provider file in the temporary folder stays as it is.
    const std::string unrelated = temp.File("smsprovider.ini");
    STRING("mine").Save(unrelated.c_str());

    const STRING first = PROVIDERFILE::WriteInNewFolder(temp.Path().c_str(), STRING("[#0]\nA=1\n"));
    const STRING second = PROVIDERFILE::WriteInNewFolder(temp.Path().c_str(), STRING("[#0]\nA=2\n"));
    ASSERT_FALSE(first.IsEmpty());
    ASSERT_FALSE(second.IsEmpty());
    EXPECT_NE(S(first), S(second));
    EXPECT_EQ(ReadWholeFile(Path(first, "smsprovider.ini")), "[#0]\nA=1\n");
    EXPECT_EQ(ReadWholeFile(Path(second, "smsprovider.ini")), "[#0]\nA=2\n");

    EXPECT_TRUE(PROVIDERFILE::RemoveFolder(first));
    EXPECT_TRUE(PROVIDERFILE::RemoveFolder(second));
    EXPECT_FALSE(FILENAME(first).Exists());
    EXPECT_EQ(ReadWholeFile(unrelated), "mine");
    EXPECT_FALSE(PROVIDERFILE::RemoveFolder(""));

    // No folder can be made under a missing parent: nothing, and an empty path.
    EXPECT_EQ(S(PROVIDERFILE::WriteInNewFolder(temp.File("missing").c_str(), STRING("x"))), "");
}
