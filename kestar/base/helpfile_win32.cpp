// The help file (see helpfile.h).  HTML Help is reached through hhctrl.ocx, loaded at run time on
// first use and kept for the process: its viewer windows live as long as the process does.
#include "kestar/base/helpfile.h"

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysenv.h"

#include <windows.h>


namespace {

// The HTML Help commands and the WinHelp commands used here (their published numbers).
const unsigned HH_DISPLAY_TOPIC_ = 0x0000;
const unsigned HH_DISPLAY_TOC_ = 0x0001;
const unsigned HH_INITIALIZE_ = 0x001C;
const unsigned HH_UNINITIALIZE_ = 0x001D;
const unsigned HH_PRETRANSLATEMESSAGE_ = 0x00FD;

const size_t kMaxTopicLine = 511;

HELPFILE *gHelpFile = nullptr; // owned: the process-wide object

typedef HWND(WINAPI *HTMLHELPA)(HWND, LPCSTR, UINT, DWORD_PTR);

HTMLHELPA LoadHtmlHelp()
{
    HMODULE hh = LoadLibraryA("hhctrl.ocx");
    HTMLHELPA function =
        hh ? reinterpret_cast<HTMLHELPA>(reinterpret_cast<void *>(GetProcAddress(hh, "HtmlHelpA"))) : nullptr;
    if (!function)
        LOGIT::Printf("HELPFILE no HTML Help viewer (hhctrl.ocx %p)\n", static_cast<void *>(hh));
    return function;
}

HTMLHELPA HtmlHelpFunction()
{
    static const HTMLHELPA function = LoadHtmlHelp(); // once, race-free
    return function;
}

STRING Decimal(int n)
{
    STRING s;
    s.Format("%d", n);
    return s;
}

} // namespace

HELPFILE::HELPFILE()
    : Set(false), Html(false), Cookie(0), HtmlInitialised(false), Owner(nullptr), Topics(0), NumMappings(0)
{
}

HELPFILE::~HELPFILE()
{
    Close();
}

HELPFILE *HELPFILE::GetHelpFile()
{
    if (gHelpFile == nullptr)
        gHelpFile = new HELPFILE();
    return gHelpFile;
}

void HELPFILE::FreeHelpFile()
{
    delete gHelpFile;
    gHelpFile = nullptr;
}

uintptr_t HELPFILE::HtmlCall(void *window, const char *file, unsigned command, uintptr_t data)
{
    HTMLHELPA function = HtmlHelpFunction();
    if (!function)
        return 0;
    return reinterpret_cast<uintptr_t>(function(static_cast<HWND>(window), file, command, data));
}

bool HELPFILE::WinHelpCall(void *window, const char *file, unsigned command, uintptr_t data)
{
    return WinHelpA(static_cast<HWND>(window), file, command, data) != 0;
}

void HELPFILE::Close()
{
    if (!Set)
        return;
    if (Html) {
        if (HtmlInitialised)
            HtmlCall(nullptr, nullptr, HH_UNINITIALIZE_, Cookie);
        HtmlInitialised = false;
    } else {
        WinHelpCall(Owner, Filename, HELP_QUIT, 0);
    }
    Set = false;
}

bool HELPFILE::ReadTopicList()
{
    STRING list = Filename;
    if (list.StrLen >= 3)
        list.Truncate(list.StrLen - 3);
    STRING ids = list + "ids";
    STRING cnt = list + "cnt";
    STRING chosen = FILENAME(ids).Exists() ? ids : cnt;
    STRINGARRAY lines(0);
    if (!FILENAME(chosen).Exists() || lines.Load(chosen, 0) <= 0) {
        LOGIT::Assert(0, "fhelpcnt!=NULL", __FILE__, __LINE__, chosen, 0);
        return false;
    }
    Topics.DeleteAll();
    for (STRING_SIZE_T i = 0; i < lines.NumItems(); ++i) {
        STRING line = *lines[i];
        line.StripLastChar('\r');
        if (line.StrLen > static_cast<STRING_SIZE_T>(kMaxTopicLine))
            line.Truncate(static_cast<STRING_SIZE_T>(kMaxTopicLine));
        STRING_SIZE_T eq = line.PosChar('=');
        STRING topic = eq >= 0 ? line.Mid(eq + 1).Trim('L', " \t").Word(0) : line;
        if (topic.NotEmpty())
            Topics.AddItem(topic);
    }
    return true;
}

bool HELPFILE::SetFilename(const char *file, bool html)
{
    LOGIT::Printf("HELPFILE::SetFilename %s (html= %d)\n", file ? file : "<NULL>", html ? 1 : 0);
    if (file == nullptr || !file[0] || TestArg("NOHELP"))
        return false;
    Close();
    Html = html;
    Filename = file;
    if (Html) {
        Cookie = 0;
        HtmlCall(nullptr, nullptr, HH_INITIALIZE_, reinterpret_cast<uintptr_t>(&Cookie));
        HtmlInitialised = true;
    }
    ReadTopicList();

    char temp[1024];
    if (Html && FILENAME(Filename).IsOnNetwork() && OSYSENV::Get("TEMP", temp, sizeof(temp)) && temp[0]) {
        LOGIT::Printf("HELPFILE::SetFilename file is on network\n");
        FILENAME source(Filename);
        FILENAME copy(temp, source.GetName().Text());
        if (source.CopyTo(copy, true)) {
            Filename = copy.GetString();
            LOGIT::Printf("HELPFILE::SetFilename copy to temp (%s) done\n", copy.Text());
        }
    }
    Set = true;
    LOGIT::Printf("HELPFILE::SetFilename done, file is %s (html= %d)\n", static_cast<const char *>(Filename), Html ? 1 : 0);
    return true;
}

bool HELPFILE::AddMapping(int id, int topic)
{
    STRING key = Decimal(id);
    for (int i = 0; i < NumMappings; ++i) {
        if (Mappings[i][0] == key) {
            Mappings[i][1] = Decimal(topic);
            return true;
        }
    }
    if (NumMappings >= MAX_MAPPINGS) {
        LOGIT::Assert(0, "this->NumMappings<ARRAYMAX(this->Mappings)", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    Mappings[NumMappings][0] = key;
    Mappings[NumMappings][1] = Decimal(topic);
    NumMappings++;
    return true;
}

bool HELPFILE::ShowTopic(int id)
{
    if (!Set)
        return false;
    STRING topic = Decimal(id);
    for (int i = 0; i < NumMappings; ++i) {
        if (Mappings[i][0] == topic) {
            topic = Mappings[i][1];
            break;
        }
    }
    if (Topics.Find(topic, STRINGARRAY_FIND_EQUAL) < 0) {
        LOGIT::Printf("HELPFILE::ShowTopic %d: topic %s not in the help file\n", id, static_cast<const char *>(topic));
        return false;
    }
    bool shown;
    if (Html) {
        STRING target;
        target.Format("%s::html/topic-%s.html", static_cast<const char *>(Filename), static_cast<const char *>(topic));
        shown = HtmlCall(Owner, target, HH_DISPLAY_TOPIC_, 0) != 0;
    } else {
        shown = WinHelpCall(Owner, Filename, HELP_CONTEXT, static_cast<uintptr_t>(topic.ToULong()));
    }
    LOGIT::Printf("HELPFILE::ShowTopic %d (topic %s) shown= %d\n", id, static_cast<const char *>(topic), shown ? 1 : 0);
    return shown;
}

bool HELPFILE::ShowHelpForWindow(void *window)
{
    for (HWND w = static_cast<HWND>(window); w != nullptr; w = GetParent(w)) {
        if (ShowTopic(GetDlgCtrlID(w)))
            return true;
    }
    return false;
}

bool HELPFILE::ShowContents(bool finder)
{
    if (!Set)
        return false;
    if (Html)
        return HtmlCall(Owner, Filename, HH_DISPLAY_TOC_, 0) != 0;
    return WinHelpCall(Owner, Filename, finder ? HELP_FINDER : HELP_CONTENTS, 0);
}

bool HELPFILE::PreTranslateMessage(void *message)
{
    if (!Html || !HtmlInitialised || !ORVAKAPP::IsMainThread() || message == nullptr)
        return false;
    return HtmlCall(nullptr, nullptr, HH_PRETRANSLATEMESSAGE_, reinterpret_cast<uintptr_t>(message)) != 0;
}
