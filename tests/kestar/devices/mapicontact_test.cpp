// MAPICONTACT: the caller record made of one address-book contact, number cleaning and folder
// paths.
#include <gtest/gtest.h>

#include "kestar/devices/mapicontact.h"
#include "tests/support/bytes_support.h"

#include <map>
#include <string>

namespace {

typedef std::map<std::string, std::string> FIELDS;

FIELDS Fields(HASH &record)
{
    FIELDS out;
    for (int i = 0; i < record.NumKeys(); ++i)
        out[TextOf(record.GetKeyAt(i))] = TextOf(record.GetValueAt(i));
    return out;
}

} // namespace

TEST(MAPICONTACT, CleansNumbers)
{
    const struct {
        const char *in;
        const char *out;
    } cases[] = {
        {"Mobil +49 (171) 123-45", "+4917112345"},
        {"+49 (30) 987654-4", "+49309876544"},
        {"030/987 654-3", "0309876543"},
        {"(040) 1717 33", "040171733"},
        {"089 / 4711-0815", "08947110815"},
        {"tel+1 555 0100", "+15550100"},   // a "+" after the first character drops what stands before
        {"0171 +49", "+49"},
        {"++49 30", "++4930"},            // a leading "+" stays with all that follows
        {"", ""},
        {" -/() ", ""},
        {"0800 CALL-NOW", "0800CALLNOW"}, // letters are kept
    };
    for (const auto &c : cases)
        EXPECT_EQ(TextOf(MAPICONTACT::CleanNumber(c.in)), c.out) << c.in;
    EXPECT_TRUE(MAPICONTACT::CleanNumber(nullptr).IsNull());
}

TEST(MAPICONTACT, RecordHasTheKeysOfThePropertiesPresent)
{
    MAPICONTACT full;
    full.Name = "Anna Becker";
    full.HomeNumber = "+49 30 1234567";
    full.BusinessNumber = "030/987 654-3";
    full.MobileNumber = "Mobil +49 (171) 123-45";
    full.FaxNumber = "+49 (30) 987654-4";
    full.Street = "Hauptstr. 1";
    full.PostalCode = "10115";
    full.Locality = "Berlin";
    full.Country = "Germany";
    HASH record;
    full.ToHash(record);
    EXPECT_EQ(Fields(record), (FIELDS{{"Name", "Anna Becker"},
                                      {"Number", "+49301234567"},
                                      {"NumberOffice", "0309876543"},
                                      {"NumberMobile", "+4917112345"},
                                      {"NumberFax", "+49309876544"},
                                      {"Address", "Hauptstr. 1"},
                                      {"City", "10115 Berlin"},
                                      {"Country", "Germany"}}));

    MAPICONTACT sparse;
    sparse.MobileNumber = "0171 5554443";
    HASH small;
    sparse.ToHash(small);
    EXPECT_EQ(Fields(small), (FIELDS{{"NumberMobile", "01715554443"}}));

    MAPICONTACT none;
    HASH empty;
    none.ToHash(empty);
    EXPECT_EQ(empty.NumKeys(), 0);
}

TEST(MAPICONTACT, CityIsPostalCodeBlankLocality)
{
    const struct {
        const char *postal;
        const char *locality;
        const char *city; // null: no "City" key
    } cases[] = {
        {"10115", "Berlin", "10115 Berlin"},
        {nullptr, "Hamburg", "Hamburg"},
        {"80331", nullptr, "80331"},
        {"", "Hamburg", "Hamburg"},
        {"80331", "", "80331"},
        {nullptr, nullptr, nullptr},
    };
    for (const auto &c : cases) {
        MAPICONTACT contact;
        contact.Name = "x";
        contact.PostalCode = c.postal;
        contact.Locality = c.locality;
        HASH record;
        contact.ToHash(record);
        STRING *city = nullptr;
        if (c.city) {
            ASSERT_TRUE(record.Exists("City", &city)) << c.city;
            EXPECT_EQ(TextOf(*city), c.city);
        } else {
            EXPECT_FALSE(record.Exists("City"));
        }
    }
}

TEST(MAPICONTACT, PathsAreJoinedWholeHoweverLong)
{
    STRING root;
    root.SetNotNull();
    EXPECT_EQ(TextOf(MAPICONTACT::JoinPath(root, " > ", "Contacts")), "Contacts");
    EXPECT_EQ(TextOf(MAPICONTACT::JoinPath(STRING(), " > ", "Contacts")), "Contacts");
    EXPECT_EQ(TextOf(MAPICONTACT::JoinPath(STRING("Clients"), " > ", "Suppliers")), "Clients > Suppliers");
    EXPECT_EQ(TextOf(MAPICONTACT::JoinPath(STRING("Clients"), "/", "Suppliers")), "Clients/Suppliers");
    EXPECT_EQ(TextOf(MAPICONTACT::JoinPath(STRING("Clients"), " > ", nullptr)), "Clients > ");

    // Far beyond the 256 characters of a fixed name field.
    std::string longName(300, 'N');
    STRING path = MAPICONTACT::JoinPath(STRING("Clients"), " > ", longName.c_str());
    path = MAPICONTACT::JoinPath(path, " > ", longName.c_str());
    EXPECT_EQ(TextOf(path), "Clients > " + longName + " > " + longName);
}
