// The call item texts of the language libraries: every text the item texts use is there in
// English and German with its phrases and placeholders, and reads through the language seam.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "client/itemtexts.h"
#include "client/languagetexts.h"
#include "kestar/base/osysresource.h"
#include "lang/resource_ids.h"
#include "tests/support/childprogram_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// Uses one language library for the scope.
class LANGUAGE {
public:
    explicit LANGUAGE(const char *dll) : library(LoadLibraryA((TestProgramFolder() + "\\" + dll).c_str()))
    {
        OSYS::SetLanguageModule(library);
    }
    ~LANGUAGE()
    {
        OSYS::SetLanguageModule(nullptr);
        if (library)
            FreeLibrary(library);
    }
    HMODULE library;
};

const struct {
    int id;
    int parts;
    const char *placeholders;
} kTexts[] = {
    {IDS_CALLSTATES, 6, "$TIME"},
    {IDS_MESSAGESTATES, 6, "$HOWMANY"},
    {IDS_FAXSTATES, 4, "$HOWMANY"},
    {IDS_JOBPENDING, 1, ""},
    {IDS_SMSPROGRESS, 7, "$NAME $CURRENT $TOTAL $SECONDS"},
    {IDS_FAXPROGRESS, 12, "$CURRENT $TOTAL $SECONDS $PERCENT $UNITS $BYTES"},
    {IDS_MAILSTATES, 3, "$CODE"},
    {IDS_NUMBERUNKNOWN, 1, ""},
    {IDS_NUMBERSUPPRESSED, 1, ""},
    {IDS_NUMBERUNREGISTERED, 1, ""},
    {IDS_CALLERSUBTYPES, 5, ""},
    {IDS_POPUPHISTORY, 1, ""},
    {IDS_DAYWORDS, 9, ""},
    {IDS_FAXREPORTWORDS, 6, "$PAGES"},
    {IDS_FAXREPORT, 1, "$TYPE $CSID $START $DURA $RES $PAGES $MODE $BIT $MSN $DEST $STATUS"},
    {IDS_APPTITLE, 1, ""},
};

void CheckLanguage(const char *dll)
{
    LANGUAGE language(dll);
    ASSERT_NE(language.library, nullptr) << dll;
    const TEXTTABLE &texts = LANGUAGETEXTS::Instance();
    for (const auto &t : kTexts) {
        const STRING text = texts.Get(t.id);
        EXPECT_NE(S(text), "<STRING-ERROR>") << dll << " " << t.id;
        EXPECT_GE(text.NumTokens("|"), t.parts) << dll << " " << t.id;
        for (int n = 0; n < t.parts; ++n)
            EXPECT_FALSE(texts.Part(t.id, n).IsEmpty()) << dll << " " << t.id << " part " << n;
        const std::string all = S(text);
        const std::string wanted = t.placeholders;
        for (size_t from = 0; from < wanted.size();) {
            size_t end = wanted.find(' ', from);
            if (end == std::string::npos)
                end = wanted.size();
            EXPECT_NE(all.find(wanted.substr(from, end - from)), std::string::npos)
                << dll << " " << t.id << " lacks " << wanted.substr(from, end - from);
            from = end + 1;
        }
    }
}

} // namespace

TEST(ITEMTEXTS, LanguageLibrariesHoldEveryPhrase)
{
    CheckLanguage("parlomatixenglish.dll");
    CheckLanguage("parlomatixgerman.dll");
}

TEST(ITEMTEXTS, TextsComeFromTheChosenLanguage)
{
    HASH item;
    item["Status"] = "RINGING";
    item["Type"] = "FAXCALL";
    item["TransmissionInfo"] = "FaxCSID=<unknown>\nFaxTransMode=HIGH\nFaxPages=2\n";
    {
        LANGUAGE english("parlomatixenglish.dll");
        ITEMTEXTS texts(LANGUAGETEXTS::Instance());
        EXPECT_EQ(S(texts.StatusText(item)), "Ringing");
        const std::string report = S(texts.TransmissionInfo(item, LANGUAGETEXTS::Instance().Get(IDS_FAXREPORT)));
        EXPECT_EQ(report.find('$'), std::string::npos) << report;
        EXPECT_NE(report.find("Remote station: Unknown"), std::string::npos) << report;
        EXPECT_NE(report.find("Mode: High"), std::string::npos) << report;
    }
    {
        LANGUAGE german("parlomatixgerman.dll");
        EXPECT_EQ(S(ITEMTEXTS(LANGUAGETEXTS::Instance()).StatusText(item)), "Klingelt");
    }
}
