// Test doubles of the fax and sound tools the client core runs: fax dialogs that confirm with
// options a test gives, a fax-command reader that hands out scripted commands, and recorders of
// what the sound player, the fax viewer and the SMS dialog were asked to show.  No windows.
#ifndef TESTS_CLIENT_TOOLDOUBLES_SUPPORT_H
#define TESTS_CLIENT_TOOLDOUBLES_SUPPORT_H

#include <string>
#include <utility>
#include <vector>

#include "client/faxcommandreader.h"
#include "client/faxdialogs.h"
#include "client/faxviewerwindow.h"
#include "client/smssenddialog.h"
#include "client/soundplayerdialog.h"
#include "client/soundrecording.h"
#include "kestar/base/osysfile.h"

// Confirms (or cancels) each dialog after writing Set into the options; keeps what it was given.
class FAXDIALOGSDOUBLE : public FAXDIALOGS {
public:
    int SendFaxDialog(HWND__ *, HASH &options, TARGETS &, CALLERS &, const char *faxFile) override
    {
        ++Sends;
        File = faxFile ? faxFile : "";
        Seen = options;
        for (auto &kv : Set)
            options[kv.first.c_str()] = kv.second.c_str();
        return Confirm;
    }
    int PollFaxDialog(HWND__ *, HASH &options, TARGETS &, CALLERS &) override
    {
        ++Polls;
        Seen = options;
        for (auto &kv : Set)
            options[kv.first.c_str()] = kv.second.c_str();
        return Confirm;
    }

    std::vector<std::pair<std::string, std::string>> Set;
    int Confirm = 1;
    int Sends = 0;
    int Polls = 0;
    std::string File;
    HASH Seen; // the options as the dialog got them
};

// Hands out the commands of Script; APP::ReadFaxCommands points at Make while a test uses it.
class FAXCOMMANDREADERDOUBLE : public FAXCOMMANDREADER {
public:
    struct COMMAND {
        std::string Text;
        OCRBOX Box;
    };
    explicit FAXCOMMANDREADERDOUBLE(const char *file)
    {
        ReadFiles.push_back(file ? file : "");
        FileWasThere.push_back(OSYSFILE::Exists(file));
    }
    int GetNextCommand(STRING &text, OCRBOX &box) override
    {
        if (next >= Script.size())
            return 0;
        text = Script[next].Text.c_str();
        box = Script[next].Box;
        ++next;
        return 1;
    }
    int Count() const override { return static_cast<int>(Script.size()); }
    static FAXCOMMANDREADER *Make(const char *file) { return new FAXCOMMANDREADERDOUBLE(file); }

    inline static std::vector<COMMAND> Script;
    inline static std::vector<std::string> ReadFiles;
    inline static std::vector<bool> FileWasThere;

private:
    size_t next = 0;
};

// Records each call: the file and the title (player, viewer) or the options (SMS).
class SOUNDPLAYERDOUBLE : public SOUNDPLAYERDIALOG {
public:
    int Play(HWND__ *, const char *file, const char *title) override
    {
        Calls.emplace_back(file, title);
        return 1;
    }
    std::vector<std::pair<std::string, std::string>> Calls;
};

class FAXVIEWERDOUBLE : public FAXVIEWERWINDOW {
public:
    int Show(const char *file, const char *title, uint32_t) override
    {
        Calls.emplace_back(file, title);
        return 1;
    }
    std::vector<std::pair<std::string, std::string>> Calls;
};

class SMSDIALOGDOUBLE : public SMSSENDDIALOG {
public:
    void Run(HWND__ *, HASH &options, TARGETS &, CALLERS &, int focusDestination) override
    {
        ++Runs;
        Options = options;
        Focus = focusDestination;
    }
    int Runs = 0;
    int Focus = -1;
    HASH Options;
};

// Confirms a recording (Recorded 1) and writes Content when saved.
class SOUNDRECORDERDOUBLE : public SOUNDRECORDING {
public:
    int Record(HWND__ *) override { return Recorded; }
    bool Save(const char *file) override
    {
        Saved.push_back(file);
        FILE *f = OSYSFILE::Open(file, "wb");
        if (!f)
            return false;
        fputs(Content.c_str(), f);
        return fclose(f) == 0;
    }
    int Recorded = 1;
    std::string Content = "RIFF";
    std::vector<std::string> Saved;
};

#endif
