// HELPFILE: the one help file of the process, opened as HTML Help or as WinHelp.  It keeps the
// list of topics the help file has (read from the ".ids" or ".cnt" file beside it), maps dialog and
// control ids to topic ids, and shows a topic only when the help file has it.  An HTML help file on
// a network drive is used from a copy in the TEMP folder.  Windows only.
//
// The viewer calls are virtual so that tests can watch them without a help viewer.
#ifndef KESTAR_HELPFILE_H
#define KESTAR_HELPFILE_H

#include "kestar/base/string.h"
#include "kestar/base/stringarray.h"

#include <cstdint>

class HELPFILE {
public:
    HELPFILE();
    // Close(): tells the viewer that the help file is done with.
    virtual ~HELPFILE();
    HELPFILE(const HELPFILE &) = delete;
    HELPFILE &operator=(const HELPFILE &) = delete;

    // The process-wide object, made on first use; never null.  Owned here; freed by FreeHelpFile
    // (the frame's exit banner).
    static HELPFILE *GetHelpFile();
    static void FreeHelpFile();

    // Sets the help file (nothing without a file or with the switch "NOHELP").  html: HTML Help,
    // else WinHelp.  False when no help file was set.
    bool SetFilename(const char *file, bool html);
    bool IsAvailable() const { return Set; }
    // The window WinHelp calls belong to (HWND, borrowed; may be null).
    void SetOwner(void *window) { Owner = window; }
    // Maps a dialog or control id to a topic id; an existing mapping of the id is replaced.  False
    // when the table is full.
    bool AddMapping(int id, int topic);
    // The table of contents (HTML Help), or WinHelp's finder (finder set) or contents.
    bool ShowContents(bool finder);
    // Shows the topic of id (mapped when a mapping exists) when the topic list has it.
    bool ShowTopic(int id);
    // Tries the window's id, then its parents' ids in turn, until a topic is shown.
    bool ShowHelpForWindow(void *window);
    // On the main thread with HTML Help initialised: lets HTML Help see a message (MSG*) first.
    bool PreTranslateMessage(void *message);
    // Ends the viewer's use of the help file (HTML Help uninitialised, WinHelp told to quit).
    void Close();

    // The topic shown when nothing more specific has one; -1 for none.
    void SetFallbackTopic(int topic) { FallbackTopic = topic; }
    int GetFallbackTopic() const { return FallbackTopic; }

    const STRING &GetFilename() const { return Filename; }
    bool IsHtml() const { return Html; }
    STRINGARRAY &GetTopics() { return Topics; }
    int GetNumMappings() const { return NumMappings; }

    enum { MAX_MAPPINGS = 128 };

protected:
    // The viewers (hhctrl's HtmlHelpA and user32's WinHelpA); window is an HWND.  HtmlCall returns
    // HtmlHelpA's result (a window, or the cookie of HH_INITIALIZE in *data's target).
    virtual uintptr_t HtmlCall(void *window, const char *file, unsigned command, uintptr_t data);
    virtual bool WinHelpCall(void *window, const char *file, unsigned command, uintptr_t data);

private:
    bool ReadTopicList();

    bool Set;                // a help file is set
    bool Html;               // HTML Help, else WinHelp
    unsigned long Cookie;    // HTML Help's initialisation cookie
    bool HtmlInitialised;
    void *Owner;             // borrowed: the owner window of WinHelp calls
    STRING Filename;
    STRINGARRAY Topics;      // the topic ids the help file has
    STRING Mappings[MAX_MAPPINGS][2]; // id -> topic id, as decimal texts
    int NumMappings;
    int FallbackTopic = -1;
};

#endif
