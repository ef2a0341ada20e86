// The Win32 one-call services of OSYS under Wine: clipboard, playing a wave file, the real
// operating-system version and waking the disk.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "kestar/base/osysinfo.h"
#include "tests/support/tempfolder_support.h"

namespace {

// The clipboard's data of one format as bytes; empty when the format is not there.
std::vector<char> ClipboardBytes(UINT format)
{
    std::vector<char> bytes;
    if (!OpenClipboard(nullptr)) {
        ADD_FAILURE() << "OpenClipboard failed: " << GetLastError();
        return bytes;
    }
    HANDLE data = GetClipboardData(format);
    if (data != nullptr) {
        const char *p = static_cast<const char *>(GlobalLock(data));
        if (p != nullptr) {
            bytes.assign(p, p + GlobalSize(data));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return bytes;
}

std::wstring ClipboardUnicode()
{
    std::vector<char> bytes = ClipboardBytes(CF_UNICODETEXT);
    std::wstring text(reinterpret_cast<const wchar_t *>(bytes.data()), bytes.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

std::string ClipboardAnsi(UINT format)
{
    std::vector<char> bytes = ClipboardBytes(format);
    std::string text(bytes.begin(), bytes.end());
    return text.substr(0, text.find('\0'));
}

// A RIFF WAVE file of 16-bit mono PCM silence.
bool WriteSilenceWave(const std::string &path, unsigned rate, unsigned milliseconds)
{
    const unsigned samples = rate * milliseconds / 1000;
    const unsigned dataSize = samples * 2;
    std::vector<unsigned char> file;
    auto put32 = [&file](unsigned v) {
        for (int i = 0; i < 4; i++) {
            file.push_back(static_cast<unsigned char>(v >> (8 * i)));
        }
    };
    auto put16 = [&file](unsigned v) {
        file.push_back(static_cast<unsigned char>(v));
        file.push_back(static_cast<unsigned char>(v >> 8));
    };
    auto tag = [&file](const char *t) { file.insert(file.end(), t, t + 4); };
    tag("RIFF");
    put32(36 + dataSize);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    tag("data");
    put32(dataSize);
    file.insert(file.end(), dataSize, 0);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

TEST(OSYSINFO, ClipboardRoundTrip)
{
    // "Müller & Söhne" in code page 1252: the letters with umlauts exist in the OEM code pages too.
    const char *text = "M\xFCller & S\xF6hne 0049 30 1234";
    ASSERT_TRUE(OSYS::CopyToClipboard(text));
    EXPECT_EQ(ClipboardUnicode(), L"M\u00FCller & S\u00F6hne 0049 30 1234");

    // The OEM text reads back as the same characters in the OEM code page.
    std::string oem = ClipboardAnsi(CF_OEMTEXT);
    wchar_t wide[128] = {};
    MultiByteToWideChar(CP_OEMCP, 0, oem.c_str(), -1, wide, 128);
    EXPECT_EQ(std::wstring(wide), L"M\u00FCller & S\u00F6hne 0049 30 1234");

    if (GetACP() == 1252) {
        EXPECT_EQ(ClipboardAnsi(CF_TEXT), text);
    }

    // A second copy replaces the first; no text is refused.
    ASSERT_TRUE(OSYS::CopyToClipboard("+49 (30) 98765"));
    EXPECT_EQ(ClipboardUnicode(), L"+49 (30) 98765");
    ASSERT_TRUE(OSYS::CopyToClipboard(""));
    EXPECT_EQ(ClipboardUnicode(), L"");
    EXPECT_FALSE(OSYS::CopyToClipboard(nullptr));
}

TEST(OSYSINFO, PlaySoundFileReturns)
{
    TEMPFOLDER temp;
    const std::string wave = temp.File("silence.wav");
    ASSERT_TRUE(WriteSilenceWave(wave, 8000, 200));
    const bool haveDevice = waveOutGetNumDevs() > 0;

    // Waiting for the end of a short sound comes back (the test runs have a null ALSA device).
    bool played = OSYS::PlaySoundFile(wave.c_str(), true);
    if (haveDevice) {
        EXPECT_TRUE(played);
    }
    // Without waiting it returns at once; then the sound may still be playing.
    played = OSYS::PlaySoundFile(wave.c_str(), false);
    if (haveDevice) {
        EXPECT_TRUE(played);
    }
    PlaySoundA(nullptr, nullptr, 0); // stop it before the folder goes

    // A missing file is a (quiet) failure, never the system's default sound.
    EXPECT_FALSE(OSYS::PlaySoundFile(temp.File("no_such_sound.wav").c_str(), true));
    EXPECT_FALSE(OSYS::PlaySoundFile(nullptr, true));
}

TEST(OSYSINFO, OsVersionIdIsTheRealVersion)
{
    // The test program has no manifest, so GetVersionEx would report an older Windows than Wine
    // plays; the id must follow the version ntdll reports.
    typedef LONG(WINAPI * RTLGETVERSION)(OSVERSIONINFOW *);
    RTLGETVERSION rtlGetVersion = reinterpret_cast<RTLGETVERSION>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(rtlGetVersion, nullptr);
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_EQ(rtlGetVersion(&info), 0);
    EXPECT_EQ(OSYS::GetOsVersionId(), OSYS::OsVersionId(info.dwPlatformId == VER_PLATFORM_WIN32_NT,
                                                          info.dwMajorVersion, info.dwMinorVersion))
        << info.dwMajorVersion << "." << info.dwMinorVersion;
    EXPECT_GE(OSYS::GetOsVersionId(), 1); // Wine always plays the NT family
}

TEST(OSYSINFO, WakeupHarddiskLeavesNothingBehind)
{
    TEMPFOLDER temp;
    const std::string folder = temp.Path();
    const std::string folders[] = {folder, folder + "\\"};
    for (const std::string &f : folders) {
        SCOPED_TRACE(f);
        OSYS::WakeupHarddisk(f.c_str());
        EXPECT_EQ(GetFileAttributesA((folder + "\\wakeup_harddisk.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    OSYS::WakeupHarddisk((folder + "\\missing").c_str()); // logs, no crash
    OSYS::WakeupHarddisk(nullptr);
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str())) << "the folder must be empty again";
    CreateDirectoryA(folder.c_str(), nullptr); // for the scratch folder's own clean-up
}

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The value's text, or "<none>" when it does not exist.
std::string RunValue(const char *name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "<none>";
    }
    char text[1024] = {};
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(text), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        return "<none>";
    }
    return type == REG_SZ ? std::string(text) : std::string("<not a string>");
}

std::string ProgramFile()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}

std::string Upper(std::string text)
{
    CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

} // namespace

TEST(OSYSINFO, SetAutostart)
{
    const char *name = "PlxAutostartTest";
    const std::string quotedSelf = "\"" + ProgramFile() + "\"";
    struct Case {
        const char *command;
        std::string stored;
    };
    const Case cases[] = {
        {"<self>", quotedSelf},
        {"<SELF>", quotedSelf},
        {"<ownfile>", quotedSelf},
        {OSYS::AUTOSTART_SELF, quotedSelf},
        {nullptr, "<none>"},
        {"C:\\Tools\\other.exe /quiet", "C:\\Tools\\other.exe /quiet"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command == OSYS::AUTOSTART_SELF ? "AUTOSTART_SELF" : c.command ? c.command : "null");
        ASSERT_TRUE(OSYS::SetAutostart(name, c.command));
        EXPECT_EQ(RunValue(name), c.stored);
    }
    // The program's own path, in another case, is stored as the own path in quotes.
    const std::string upper = Upper(ProgramFile());
    ASSERT_TRUE(OSYS::SetAutostart(name, upper.c_str()));
    EXPECT_EQ(RunValue(name), quotedSelf);

    // Deleting twice: the second time there is nothing to delete, and that is no failure.
    EXPECT_TRUE(OSYS::SetAutostart(name, nullptr));
    EXPECT_EQ(RunValue(name), "<none>");
    EXPECT_TRUE(OSYS::SetAutostart(name, nullptr));
    EXPECT_FALSE(OSYS::SetAutostart(nullptr, "<self>"));
}

namespace {

// Scroll Lock's toggle state as this thread sees it once the simulated keys have arrived; waits
// up to two seconds for it to become wanted.
bool ScrollLockBecomes(bool wanted)
{
    for (int i = 0; i < 200; i++) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (((GetKeyState(VK_SCROLL) & 1) != 0) == wanted)
            return true;
        Sleep(10);
    }
    return false;
}

} // namespace

TEST(OSYSINFO, SetScrollLockSwitchesTheKey)
{
    const bool was = (GetKeyState(VK_SCROLL) & 1) != 0;
    EXPECT_EQ(1, OSYS::SetScrollLock(was ? 0 : 1));
    EXPECT_TRUE(ScrollLockBecomes(!was));
    EXPECT_EQ(1, OSYS::SetScrollLock(was ? 0 : 1)); // already so: no key press
    EXPECT_TRUE(ScrollLockBecomes(!was));
    EXPECT_EQ(1, OSYS::SetScrollLock(2));
    EXPECT_TRUE(ScrollLockBecomes(was));
}
