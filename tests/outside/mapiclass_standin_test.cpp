// MAPICLASS against the stand-in MAPI library (mapi32.dll in the program folder, chosen by the
// test's DLL override): message stores, the walk of the folder trees, contacts as caller records,
// the number search, and everything MAPI hands out given back.
#include <gtest/gtest.h>

#include "kestar/devices/mapiclass.h"
#include "tests/support/bytes_support.h"
#include "tests/support/logcapture_support.h"

#include <windows.h>
#include <mapix.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

typedef std::map<std::string, std::string> FIELDS;

FIELDS Fields(HASH &record)
{
    FIELDS out;
    for (int i = 0; i < record.NumKeys(); ++i)
        out[TextOf(record.GetKeyAt(i))] = TextOf(record.GetValueAt(i));
    return out;
}

std::string NameOf(HASH &record)
{
    STRING *name = nullptr;
    return record.Exists("Name", &name) ? TextOf(*name) : std::string("<no name>");
}

// Makes one step of the stand-in fail for one scope.
class MAPIMODE {
public:
    explicit MAPIMODE(const char *mode) { SetEnvironmentVariableA("PLX_STANDIN_MAPI", mode); }
    ~MAPIMODE() { SetEnvironmentVariableA("PLX_STANDIN_MAPI", nullptr); }
};

// Holds the stand-in loaded across a MAPICLASS's life, to read its counters afterwards.
class STANDIN {
public:
    STANDIN() : module(LoadLibraryA("mapi32.dll"))
    {
        counters = reinterpret_cast<COUNTERS>(GetProcAddress(module, "StandinMapiCounters"));
    }
    ~STANDIN() { FreeLibrary(module); }
    bool IsStandIn() const { return counters != nullptr; }
    LONG LiveObjects() const
    {
        LONG objects = -1;
        counters(&objects, nullptr, nullptr);
        return objects;
    }
    LONG LiveBuffers() const
    {
        LONG buffers = -1;
        counters(nullptr, &buffers, nullptr);
        return buffers;
    }
    ULONG LogonFlags() const
    {
        ULONG flags = 0;
        counters(nullptr, nullptr, &flags);
        return flags;
    }

private:
    typedef void(WINAPI *COUNTERS)(LONG *, LONG *, ULONG *);
    HMODULE module;
    COUNTERS counters = nullptr;
};

const std::string kLongFolder(300, 'N');

int FindBook(MAPICLASS &mapi, const std::string &name)
{
    for (int i = 0; i < mapi.GetNumAddressBooks(); ++i) {
        if (TextOf(mapi.GetAddressBookName(i)) == name)
            return i;
    }
    return -1;
}

} // namespace

TEST(MAPICLASS, LogsOnAndListsTheMessageStores)
{
    STANDIN standin;
    ASSERT_TRUE(standin.IsStandIn());
    const ULONG always = MAPI_EXTENDED | MAPI_USE_DEFAULT | MAPI_ALLOW_OTHERS | MAPI_TIMEOUT_SHORT;
    for (int noMail = 0; noMail <= 1; ++noMail) {
        LOGCAPTURE log;
        MAPICLASS mapi(noMail);
        ASSERT_TRUE(mapi.IsUpAndRunning());
        EXPECT_EQ(standin.LogonFlags(), always | (noMail ? MAPI_NO_MAIL : 0u));
        ASSERT_EQ(mapi.GetNumMessageStores(), 2);
        EXPECT_EQ(TextOf(mapi.GetMessageStoreName(0)), "Personal Folders");
        EXPECT_EQ(TextOf(mapi.GetMessageStoreName(1)), "Archive");
        BINARY first, second, standard;
        ASSERT_TRUE(mapi.GetMessageStoreId(0, first));
        ASSERT_TRUE(mapi.GetMessageStoreId(1, second));
        ASSERT_TRUE(mapi.GetDefaultMessageStoreId(standard));
        EXPECT_EQ(TextOf(standard), TextOf(first));
        EXPECT_NE(TextOf(first), TextOf(second));
        EXPECT_EQ(log.CountLines("MAPICLASS::Constructor New MDB added: Personal Folders, IsDefault=1"), 1);
        EXPECT_EQ(log.CountLines("MAPICLASS::Constructor New MDB added: Archive, IsDefault=0"), 1);
        EXPECT_TRUE(log.Conditions().empty());
    }
}

TEST(MAPICLASS, WalksTheFolderTreesDepthFirst)
{
    LOGCAPTURE log;
    MAPICLASS mapi;
    ASSERT_TRUE(mapi.IsUpAndRunning());

    const std::vector<std::string> everyStore = {
        "Contacts  (Personal Folders)",
        "Clients > Suppliers  (Personal Folders)", // class "IPF.CONTACT": the class is compared without case
        "Clients > " + kLongFolder + "  (Personal Folders)",
        "Old Contacts  (Archive)",
    };
    const std::vector<std::string> mail = {"Inbox  (Personal Folders)", "Sent Items  (Personal Folders)"};
    const struct {
        int defaultOnly;
        size_t books;
    } cases[] = {{0, 4}, {1, 3}, {0, 4}};
    for (const auto &c : cases) {
        EXPECT_EQ(mapi.QueryAllAddressBooks(c.defaultOnly), static_cast<int>(c.books));
        ASSERT_EQ(mapi.GetNumAddressBooks(), static_cast<int>(c.books));
        for (size_t i = 0; i < c.books; ++i)
            EXPECT_EQ(TextOf(mapi.GetAddressBookName(static_cast<int>(i))), everyStore[i]);
        ASSERT_EQ(mapi.GetNumMailFolders(), 2);
        EXPECT_EQ(TextOf(mapi.GetMailFolderName(0)), mail[0]);
        EXPECT_EQ(TextOf(mapi.GetMailFolderName(1)), mail[1]);
        // The folders' own (long) entry ids, not the short ones of the hierarchy tables.
        for (int i = 0; i < mapi.GetNumAddressBooks(); ++i) {
            BINARY id;
            ASSERT_TRUE(mapi.GetAddressBookId(i, id));
            EXPECT_EQ(id.Length(), 24);
        }
    }
    EXPECT_EQ(log.CountLines("MAPICLASS::TraceFolder (mail=0, contact=1) adds Clients > Suppliers"), 3);
    EXPECT_EQ(log.CountLines("MAPICLASS::TraceFolder (mail=1, contact=0) adds Inbox"), 3);
    EXPECT_EQ(log.CountLines("MAPICLASS::TraceFolder (mail=0, contact=0) adds Calendar"), 3);
    EXPECT_TRUE(log.Conditions().empty());
}

TEST(MAPICLASS, ReadsContactsAsCallerRecords)
{
    LOGCAPTURE log;
    MAPICLASS mapi;
    ASSERT_TRUE(mapi.IsUpAndRunning());
    mapi.QueryAllAddressBooks(0);
    int contacts = FindBook(mapi, "Contacts  (Personal Folders)");
    int longFolder = FindBook(mapi, "Clients > " + kLongFolder + "  (Personal Folders)");
    ASSERT_GE(contacts, 0);
    ASSERT_GE(longFolder, 0);

    HASHLIST list;
    HASH kept;
    kept["Name"] = "already there";
    list.AddItem(kept);
    EXPECT_EQ(mapi.GetSelAdrBookEntries(contacts, list), 5);
    ASSERT_EQ(list.NumItems(), 6);
    EXPECT_EQ(NameOf(*list[0]), "already there");
    EXPECT_EQ(Fields(*list[1]), (FIELDS{{"Name", "Anna Becker"},
                                        {"Number", "+49301234567"},
                                        {"NumberOffice", "0309876543"},
                                        {"NumberMobile", "+4917112345"},
                                        {"NumberFax", "+49309876544"},
                                        {"Address", "Hauptstr. 1"},
                                        {"City", "10115 Berlin"},
                                        {"Country", "Germany"}}));
    EXPECT_EQ(Fields(*list[2]), (FIELDS{{"Name", "Carl Dorn"}, {"NumberMobile", "01715554443"}, {"City", "Hamburg"}}));
    EXPECT_EQ(Fields(*list[3]),
              (FIELDS{{"Name", "Eva Fischer"}, {"Number", "08947110815"}, {"City", "80331"}, {"Country", "Germany"}}));
    EXPECT_EQ(Fields(*list[4]), (FIELDS{{"Name", "Gustav Hahn"}, {"NumberOffice", "040171733"}, {"NumberFax", "004940171734"}}));
    EXPECT_EQ(NameOf(*list[5]), "Zacharias " + std::string(390, 'z')); // kept whole

    HASHLIST nameless;
    EXPECT_EQ(mapi.GetSelAdrBookEntries(longFolder, nameless), 1);
    ASSERT_EQ(nameless.NumItems(), 1);
    EXPECT_EQ(Fields(*nameless[0]), (FIELDS{{"Number", "0221556677"}, {"City", "50667 K\xf6ln"}}));
    EXPECT_TRUE(log.Conditions().empty());
}

TEST(MAPICLASS, NumberSearchFindsTheTextInAnyOfTheFourNumbers)
{
    MAPICLASS mapi;
    ASSERT_TRUE(mapi.IsUpAndRunning());
    mapi.QueryAllAddressBooks(0);
    int contacts = FindBook(mapi, "Contacts  (Personal Folders)");
    ASSERT_GE(contacts, 0);
    const struct {
        const char *number;
        std::set<std::string> names;
    } cases[] = {
        {"4711", {"Eva Fischer"}},                              // home
        {"1234", {"Anna Becker"}},                              // home, not in the other three
        {"171", {"Anna Becker", "Carl Dorn", "Gustav Hahn"}},   // mobile, mobile, office and fax
        {"1717", {"Gustav Hahn"}},
        {"987654", {"Anna Becker"}},                            // fax; the office number has a blank inside
        {"0309876543", {}},                                     // the text as MAPI holds it, not cleaned
        {"9999", {}},
        {"", {"Anna Becker", "Carl Dorn", "Eva Fischer", "Gustav Hahn", "Zacharias " + std::string(390, 'z')}},
    };
    for (const auto &c : cases) {
        HASHLIST list;
        int n = mapi.GetSelAdrBookEntries(contacts, list, c.number);
        std::set<std::string> names;
        for (int i = 0; i < list.NumItems(); ++i)
            names.insert(NameOf(*list[i]));
        EXPECT_EQ(n, static_cast<int>(c.names.size())) << c.number;
        EXPECT_EQ(names, c.names) << c.number;
    }
}

TEST(MAPICLASS, GivesBackAllMapiHandsOutAndKeepsTheCurrentFolder)
{
    STANDIN standin;
    ASSERT_TRUE(standin.IsStandIn());
    LOGCAPTURE log; // also makes a scratch folder the current folder
    std::string folder = CurrentFolderForTest();
    {
        MAPICLASS mapi;
        ASSERT_TRUE(mapi.IsUpAndRunning());
        EXPECT_EQ(CurrentFolderForTest(), folder);
        mapi.QueryAllAddressBooks(0);
        EXPECT_EQ(CurrentFolderForTest(), folder);
        HASHLIST list;
        mapi.GetSelAdrBookEntries(0, list, "171");
        mapi.GetSelAdrBookEntries(3, list, nullptr);
        EXPECT_EQ(list.NumItems(), 4);
        EXPECT_EQ(CurrentFolderForTest(), folder);
        EXPECT_EQ(standin.LiveBuffers(), 0);
        EXPECT_GE(standin.LiveObjects(), 2); // the session and the store table
    }
    EXPECT_EQ(CurrentFolderForTest(), folder);
    EXPECT_EQ(standin.LiveObjects(), 0);
    EXPECT_EQ(standin.LiveBuffers(), 0);
}

TEST(MAPICLASS, EachFailingStepLeavesTheObjectDown)
{
    STANDIN standin;
    ASSERT_TRUE(standin.IsStandIn());
    const struct {
        const char *mode;
        const char *line;
    } cases[] = {
        {"noinit", "MAPICLASS::Constructor MAPIInitiatlize failed"},
        {"nologon", "MAPICLASS::Constructor MAPILogonEx failed"},
        {"nostoretable", "MAPICLASS::Constructor GetMsgStoresTable failed"},
    };
    for (const auto &c : cases) {
        LOGCAPTURE log;
        MAPIMODE mode(c.mode);
        {
            MAPICLASS mapi;
            EXPECT_FALSE(mapi.IsUpAndRunning()) << c.mode;
        }
        EXPECT_EQ(log.CountLines(c.line), 1) << c.mode;
        EXPECT_EQ(standin.LiveObjects(), 0) << c.mode;
        EXPECT_EQ(standin.LiveBuffers(), 0) << c.mode;
    }
}

TEST(MAPICLASS, MisuseIsAnAssertionAndChangesNothing)
{
    LOGCAPTURE log;
    MAPICLASS mapi;
    ASSERT_TRUE(mapi.IsUpAndRunning());
    mapi.QueryAllAddressBooks(1);
    BINARY id;
    id.Make(3, "old");
    HASHLIST list;
    EXPECT_EQ(TextOf(mapi.GetMessageStoreName(2)), "");
    EXPECT_FALSE(mapi.GetMessageStoreId(-1, id));
    EXPECT_EQ(TextOf(mapi.GetAddressBookName(3)), "");
    EXPECT_FALSE(mapi.GetAddressBookId(3, id));
    EXPECT_EQ(mapi.GetSelAdrBookEntries(3, list, nullptr), 0);
    EXPECT_EQ(TextOf(id), "old");
    EXPECT_EQ(list.NumItems(), 0);
    EXPECT_EQ(log.Conditions(), (std::vector<std::string>{"idx<this->GetNumMessageStores()",
                                                          "idx<this->GetNumMessageStores()",
                                                          "idx<this->GetNumAddressBooks()",
                                                          "idx<this->GetNumAddressBooks()",
                                                          "idx<this->GetNumAddressBooks()"}));
}
