// The tip of the day under Wine: the dialog over its owner, paging once and closing, the style
// chosen in the dialog, and the three registry values afterwards; the starts that show nothing.
#include "kestar/windowing/tipofday.h"

#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "lang/resource_ids.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace {

// The tests run side by side in programs of their own: each keeps its values under a key of its own.
const char *AppKey()
{
    static const std::string key =
        std::string("ParlomatixTipTest.") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    return key.c_str();
}

class ENGLISH {
public:
    ENGLISH() : previous(OSYS::GetLanguageModule()), library(LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str()))
    {
        EXPECT_NE(library, nullptr);
        OSYS::SetLanguageModule(library);
    }
    ~ENGLISH()
    {
        OSYS::SetLanguageModule(previous);
        if (library)
            FreeLibrary(library);
    }
    ENGLISH(const ENGLISH &) = delete;
    ENGLISH &operator=(const ENGLISH &) = delete;

private:
    void *previous;
    HMODULE library;
};

long long Today()
{
    return static_cast<long long>(std::time(nullptr)) / 86400;
}

// The three values: set (an empty text deletes the value) and read back.
void SetValues(const char *style, const char *count, const std::string &last)
{
    REGISTRY key(AppKey(), "Software\\Orvak", REGISTRY::USER_CURRENT);
    const char *names[] = {"TipOfDayStyle", "TipOfDayCount", "TipOfDayLast"};
    const char *values[] = {style, count, last.c_str()};
    for (int i = 0; i < 3; ++i) {
        if (*values[i])
            key.WriteString(names[i], values[i]);
        else
            key.DeleteValue(names[i]);
    }
}

std::string Value(const char *name)
{
    REGISTRY key(AppKey(), "Software\\Orvak", REGISTRY::USER_CURRENT);
    STRING text;
    return key.ReadString(name, text) && text.GetBuffer() ? text.GetBuffer() : "(none)";
}

void WriteFile(const std::string &path, const std::string &content)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
}

const char kTips[] = "[TIP]\r\ntitle=Faxes\r\nSend faxes from every program\r\nthrough the fax printer.\r\n"
                     "[TIP]\r\nplatform=mac\r\nNot for this system.\r\n"
                     "[TIP]\r\nThe list shows your calls.\r\n";

} // namespace

TEST(TIPOFDAY, NextTipOnceThenClose)
{
    ENGLISH english;
    TEMPFOLDER folder;
    std::string tips = folder.File("tips.txt");
    WriteFile(tips, kTips);
    SetValues("1", "", std::to_string(Today() - 3));
    HWND owner = CreateWindowA("STATIC", "Parlomatix - test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    {
        DIALOGWATCHER watcher({DIALOGSTEP::Choose(IDC_TIPOFDAY_STYLE, 4, "Send faxes from every program"),
                               DIALOGSTEP::Press(IDC_TIPOFDAY_NEXT, "Send faxes from every program"),
                               DIALOGSTEP::Press(IDCANCEL, "The list shows your calls.")},
                              30000, GetCurrentThreadId());
        ShowTipOfDay(owner, tips.c_str(), AppKey(), 0);
        ASSERT_TRUE(watcher.Pressed()) << watcher.StepsDone() << " steps";
        EXPECT_EQ(watcher.TitleAt(0), "Parlomatix Tip of the Day");
        EXPECT_NE(watcher.TextAt(0).find("Faxes\nSend faxes from every program through the fax printer."), std::string::npos)
            << watcher.TextAt(0);
        // A tip without a title shows the template's title.
        EXPECT_NE(watcher.TextAt(2).find("Did you know...?\nThe list shows your calls."), std::string::npos)
            << watcher.TextAt(2);
        EXPECT_EQ(watcher.Owner(), owner);
    }
    EXPECT_EQ(Value("TipOfDayStyle"), "4");
    EXPECT_EQ(Value("TipOfDayCount"), "2");
    EXPECT_EQ(Value("TipOfDayLast"), std::to_string(Today()));

    // The next start goes on after the last tip shown: from the first again.
    SetValues("1", "2", std::to_string(Today() - 1));
    {
        DIALOGWATCHER watcher({DIALOGSTEP::Press(IDCANCEL, "Send faxes")}, 30000, GetCurrentThreadId());
        ShowTipOfDay(owner, tips.c_str(), AppKey(), 0);
        EXPECT_TRUE(watcher.Pressed());
    }
    EXPECT_EQ(Value("TipOfDayCount"), "1");
    DestroyWindow(owner);
}

TEST(TIPOFDAY, StartsThatShowNothing)
{
    ENGLISH english;
    TEMPFOLDER folder;
    std::string tips = folder.File("tips.txt");
    WriteFile(tips, kTips);
    // No watcher: a dialog would hang the test.
    // The first start after installation: nothing; the day before is stored.
    SetValues("", "", "");
    ShowTipOfDay(nullptr, tips.c_str(), AppKey(), 0);
    EXPECT_EQ(Value("TipOfDayStyle"), "2");
    EXPECT_EQ(Value("TipOfDayCount"), "0");
    EXPECT_EQ(Value("TipOfDayLast"), std::to_string(Today() - 1));
    // Daily, already shown today.
    SetValues("2", "1", std::to_string(Today()));
    ShowTipOfDay(nullptr, tips.c_str(), AppKey(), 0);
    EXPECT_EQ(Value("TipOfDayCount"), "1");
    // Forced, but no tips file: nothing to show.
    SetValues("0", "-5", std::to_string(Today() - 9));
    ShowTipOfDay(nullptr, folder.File("missing.txt").c_str(), AppKey(), 1);
    EXPECT_EQ(Value("TipOfDayStyle"), "0");
    EXPECT_EQ(Value("TipOfDayCount"), "0"); // a negative count counts as 0
    EXPECT_EQ(Value("TipOfDayLast"), std::to_string(Today()));
    // Forced with only blank tips: one pass, then the end.
    WriteFile(tips, "   \r\n[TIP]\r\n\t\r\n[TIP]\r\ntitle=Only a title\r\n");
    ShowTipOfDay(nullptr, tips.c_str(), AppKey(), 1);
    SetValues("", "", "");
}
