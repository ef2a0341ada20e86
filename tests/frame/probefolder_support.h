// The frame tests' scratch folder: a copy of the probe program (frameprobe.cpp) and the language
// libraries a case wants, the child run in it, and what it leaves there.
#pragma once

#include <windows.h>

#include "tests/support/childprogram_support.h"
#include "tests/support/tempfolder_support.h"

#include <map>
#include <string>
#include <vector>

namespace FRAMEPROBE {

inline const char kEnglish[] = "parlomatixenglish.dll";
inline const char kGerman[] = "parlomatixgerman.dll";

// A scratch folder with a copy of the probe program and the given language libraries.
class PROBEFOLDER {
public:
    explicit PROBEFOLDER(const std::vector<std::string> &libraries)
    {
        std::string bin = TestProgramFolder();
        ok = CopyFileForTest(bin + "\\frameprobe.exe", Program());
        for (const auto &l : libraries)
            ok = ok && CopyFileForTest(bin + "\\" + l, folder.File(l));
    }
    std::string Program() const { return folder.File("frameprobe.exe"); }
    std::string File(const std::string &name) const { return folder.File(name); }
    const std::string &Path() const { return folder.Path(); }
    // A crash writes its memory dump and compresses it: on a loaded machine under Wine that alone
    // can take most of a minute, so the child gets two.
    CHILDRESULT Run(const std::string &arguments, int buttonId = 0) const
    {
        return RunChildProgram("\"" + Program() + "\" " + arguments, folder.Path(), buttonId, 120000);
    }
    // The "key=value" lines of probe.txt.
    std::map<std::string, std::string> Probe() const
    {
        std::map<std::string, std::string> values;
        std::string text = ReadWholeFile(folder.File("probe.txt"));
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            size_t eq = line.find('=');
            if (eq != std::string::npos)
                values[line.substr(0, eq)] = line.substr(eq + 1);
            if (end == std::string::npos)
                break;
            pos = end + 1;
        }
        return values;
    }
    // Names in the folder that begin with prefix.
    std::vector<std::string> Files(const std::string &prefix) const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((folder.Path() + "\\" + prefix + "*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do
                names.push_back(fd.cFileName);
            while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        return names;
    }
    bool ok = false;

private:
    TEMPFOLDER folder;
};

inline bool EndsWith(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}


} // namespace FRAMEPROBE
