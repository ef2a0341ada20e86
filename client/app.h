// APP: the client's application object and its main window (class "OrvakParlomatixWinClass")
// with its status bar and tray icon.  It holds the client settings, the link to the server
// (COMMINTERFACE), the logon state and the list of clients logged on to the server, and it is the
// one place through which every remote command goes out (DispatchFunction) and comes in
// (HandleFunction, HandleBroadcast).  The routing and the other rules are in small classes of
// their own; APP joins them.  Windows only.
//
// Threads: built, shown and deleted on the window thread.  DispatchFunction runs on any thread;
// HandleFunction on NETPROC's call threads and, through "{LOCAL}", on the caller's thread.  The
// settings are guarded by SettingsLock, the server fields by ServerLock, the active clients by
// their list's own lock.  The flags are written on the window thread.
#ifndef CLIENT_APP_H
#define CLIENT_APP_H

#include <atomic>
#include <cstdint>

#include "client/itemtexts.h"
#include "client/itemview.h"
#include "common/callers.h"
#include "common/clients.h"
#include "common/serveroptions.h"
#include "common/targets.h"
#include "kestar/base/critsect.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/mutexsem.h"
#include "kestar/base/string.h"
#include "kestar/base/stringarray.h"
#include "kestar/base/workdir.h"
#include "kestar/windowing/window.h"

// mmsystem.h names the narrow or wide PlaySound function through a macro; APP has one of its own.
#undef PlaySound

class APPLISTHOST;
class COMMINTERFACE;
class FAXCOMMANDREADER;
class FAXDIALOGS;
class FAXVIEWERWINDOW;
class MAPICLASS;
class SMSSENDDIALOG;
class SOUNDPLAYERDIALOG;
class SOUNDRECORDING;
class LISTUPDATE;
class SEMITOOLTIP;
class STATUSBAR;
class TASKBARICON;

class APP : public WINDOW {
public:
    // Builds the main window, decides the work folder, loads the settings from "parlomatix.ini"
    // there, and connects to the network.  startMinimized: the switch "MIN".
    explicit APP(int startMinimized);
    // Runs Cleanup.
    ~APP() override;
    APP(const APP &) = delete;
    APP &operator=(const APP &) = delete;

    // Sets the cleaning-up flag and frees the link to the server and the window's parts.
    // Idempotent.
    void Cleanup();
    // The title: text 10004, the version, the server (text 2972 while none), iTunes control.
    void SetTitle();

    // Sends command to peer ("{SERVER}", "{LOCAL}", a client's name or an address) with a copy of
    // params that carries the sender keys.  result is set in every case.  sync: wait for the
    // result; waitMs: -1 for the default.  1 on success (also for a client that is skipped
    // because it left or is passive), 0 on failure.
    int DispatchFunction(const char *peer, const char *command, HASH &params, STRING &result, int sync,
                         int waitMs);
    // The result of a successful DispatchFunction, an empty text after a failure.
    STRING DispatchFunctionResult(const char *peer, const char *command, HASH &params, int sync, int waitMs);
    // Runs a command that arrived (peerId "<LOCAL>" for this program's own); the answer, "<NULL>"
    // when the command set none.  An unknown command is an assertion failure.
    STRING HandleFunction(STRING &command, HASH &params, const char *peerId);
    // The server-to-client commands; 1 when command is one of them.
    int HandleClientFunction(STRING &command, HASH &params, STRING &result);
    // A received broadcast: "STARTSERVER" and "STOPSERVER" from the configured server (or any
    // sender while none is configured) run as commands of this program; the rest is logged.  0.
    int HandleBroadcast(int number, const STRING &sender, const STRING &payload);
    // Broadcasts a command line to every server; COMMINTERFACE::BroadcastString's result.
    int DispatchBroadcast(const char *line);
    // A failed remote call, reported once as a quiet assertion failure with text.
    void ReportCommError(const char *text, const char *category1, const char *category2);

    // The index of list's record whose number best matches number or canonical (FindBestMatchNumber),
    // or -1; keyPosition as there.  The caller holds list's lock.
    int FindBestMatchNumberIdx(HASHLIST &list, const char *number, const char *canonical, STRING *keyPosition);

    // Changes to call items on the server, sent without waiting: itemId is one handle or several
    // joined by "|".
    void ItemDelete(const char *itemId);
    void ItemArchive(const char *itemId, const char *state);
    void ItemComment(const char *itemId, const char *comment);
    void ItemSeen(const char *itemId, int seen);
    // Takes one of the server's edit locks ("LOCK_TARGETS_RW", ...): 1 when taken; else 0, and
    // holder (may be null) = who holds it when the server said so, otherwise unchanged.
    int LockServerAction(const char *action, STRING *holder);
    // Frees the lock: 1 only when the server answered "<OK>".
    int UnlockServerAction(const char *action);
    // Fetches the message file msgFile (relative to the server's folders: it begins with ".") of
    // item.  The local path of the copy, which the caller owns and deletes, or empty after an
    // error box (none while PoweredDown).
    STRING PeerMsgFile(HASH &item, const char *msgFile);
    // Replaces ActiveClients by the server's list of the clients logged on.
    void GetServerActiveClients();
    // Fills out with copies of the local phone book (local), the server's (server) and the MAPI
    // address books (mapi, when the client options allow it), in that order; with key, only the
    // records with a value for it.  Every record is prepared as a caller.
    void GetFilteredCallers(CALLERS &out, const char *key, int local, int server, int mapi);
    // The last record id received from peer ("0" when none yet), and its change; under SettingsLock.
    STRING PeerLastId(const char *peer);
    void SetPeerLastId(const char *peer, const char *id);
    // Fills out with "file|name" for every record of Callers (callers) and then Targets (targets)
    // whose "Sound" cannot be loaded as a sound.
    void GetBrokenSounds(STRINGARRAY &out, int callers, int targets);
    // One error box per non-empty "file|name" entry of files.
    void AlertBrokenFiles(STRINGARRAY &files);

    // A call item in the language library's words (ITEMTEXTS); the display options are read from
    // the settings.  The item may be locked: keys it lacks read as empty.
    STRING GetItemStatusText(HASH &item);
    STRING GetItemTimeText(HASH &item);
    STRING GetCallerNumberFrontend(HASH &item);
    STRING GetTargetFrontend(HASH &item);
    STRING GetCallerFrontend(HASH &item);
    STRING GetCallerFullFrontend(HASH &item);
    // The fax transmission result filled into templ (text 3031 for the sending report).
    STRING GetTransmissionInfoText(HASH &item, const char *templ);
    // The call pop-up's text and look for item (see ITEMTEXTS::FillPopup); items is the list
    // holding it, whose items lock the caller holds.
    POPUPTEXT FillPopupString(HASH &item, HASH *caller, HASH *target, DYNARRAY<HASH> &items);

    // Caller identification of a new call.  Each returns 1 and caller = a copy of the found
    // record (keyPosition, may be null: the matched number key's position as
    // FindBestMatchNumber's) when found, else 0 with both unchanged.
    // The phone book (Callers), under its lock.
    int FindPrimaryCaller(const char *number, const char *canonical, HASH &caller, STRING *keyPosition);
    // The active MAPI address books of "MapiAddressBooks", searched for the canonical number (its
    // last four characters when it has six or more); 0 while Mapi is not up and running.
    int FindMapiCaller(const char *number, const char *canonical, HASH &caller, STRING *keyPosition);
    // The secondary caller file, read into list under lock; with a program (empty: none) whose
    // number is not in list yet, the program runs first (at most CLIENTTIMING LOOKUPPROGRAM) to
    // write the file.
    int FindSecondaryCaller(const char *number, const char *canonical, HASH &caller, HASHLIST &list, MUTEXSEM &lock,
                            const char *file, int csv, const char *program);
    // The three lookups in the order of a new call: the phone book for every item; for other
    // items than jobs ("FAXCALL", "FAXPOLL", "SMSCALL", "MAILCALL") then MAPI when
    // "MapiCallerSearch" is set, then the secondary caller file ("SecondaryCallerFile...");
    // afterwards the secondary list is emptied unless "SecondaryCallerFileKeep" or
    // "SecondaryCallerFileDoExecute" is set.  item: a call item (read only).  The source of the
    // found caller, or CALLER_NONE with caller and keyPosition unchanged.
    enum CALLERSOURCE { CALLER_NONE = 0, CALLER_PRIMARY = 1, CALLER_MAPI = 2, CALLER_SECONDARY = 3 };
    int IdentifyCaller(HASH &item, HASH &caller, STRING *keyPosition);
    // Reads the secondary caller file into SecondaryCallers (see CALLHELPERS).
    void LoadSecondaryCallers(const char *file, int csv);
    // Rebuilds the address-book list text list from Mapi's address books, keeping each book's
    // "Active" (all "1" with activateAll).  Mapi must be up and running (assertion).
    void UpdateMapiAdrBooklist(int activateAll, STRING &list);
    // The command line of target targetIdx's program with the call macros filled (see
    // CALLHELPERS::BuildProgramCommandLine); caller may be null.  Empty for a bad index.
    STRING BuildProgramCommandLine(int targetIdx, HASH *caller, const char *canonical, const char *number,
                                   const char *callType);
    // Thread body: plays the tab-separated sound files of soundList (a STRING made with new; the
    // thread deletes it) one after the other under SoundLock, so the sounds of two calls never
    // overlap.  0.
    static unsigned PlaySound(void *soundList);
    // Starts PlaySound on a thread of its own with a copy of soundList; nothing for an empty list.
    static void StartPlaySound(const char *soundList);
    // Appends the call-log line of item to file (csv: the CSV form with the user's list
    // separator) under CallLogLock.  1 when a line was written.
    int AppendCallLog(const char *file, int csv, HASH &item);
    // Gives a call item read from the server or from "recentcalls.ini" its default keys, a new
    // unique id as handle when it has none, and closes its key table (CALLITEM::Prepare).
    static void PrepareCallItem(HASH &item);
    // Completes the server's options record with every key and its default, the telephony
    // location (GetLocation) and a gateway of the SMS provider table, and closes its key table
    // (SERVEROPTIONS::Prepare).  The record's lock state from before.
    int PrepareServerOptions(HASH &options);
    // The telephony location of PrepareServerOptions (tapiGetLocationInfo's country and city
    // codes; 0 on success).  Tests put their own in its place.
    static SERVEROPTIONS::LOCATIONFUNCTION GetLocation;

    // The value of a right ("PermLocalCallers", ...) from the logon as a number; 0 when the
    // rights lack it.  Under RightsLock.
    int CheckPermission(const char *right);
    // Replaces the rights (the logon's record); under RightsLock.
    void SetRights(const HASH &rights);

    // The local list files of the work folder.  Each loader holds its list's lock for the whole
    // reload.  Callers: reloads "callers.ini" with "PermLocalCallers", else leaves the list empty.
    void GetLocalCallers();
    // Targets: with "PermLocalTargets" "targets.ini" and then the server's targets merged into it;
    // without, the server's targets, which never start a program here ("RunProg" "0", no
    // "Program" and "ProgParm").  Every record gets a new handle.
    void GetLocalTargets();
    // The current calls: "recentcalls.ini" with "PermLocalRecentcalls" and load set; without the
    // right the last id kept for server (when given) goes back to "0".  Every item is prepared and
    // counts as ended ("InProgress" "0").
    void GetLocalRecentcalls(const char *server, int load);
    // Writes the chosen files, each only with its right (the settings always): the current calls
    // to "recentcalls.ini", Callers to "callers.ini", Targets to "targets.ini", the settings to
    // "parlomatix.ini"; unused has no effect.  Each file is replaced whole, atomically.  Nothing is
    // written once the session ended or while NoSave is set.  0 (and a log line) when a write
    // failed, else 1.
    int SaveLocalFiles(int recentCalls, int callers, int unused, int targets, int settings);
    // Copies "parlomatix.ini", "callers.ini", "targets.ini" and "recentcalls.ini" of the work
    // folder to the same names with ".bak" appended, each under a temporary name renamed over the
    // old copy; a missing file is skipped.  0 when a copy failed, else 1.
    int BackupIniFiles();

    // Fetches the server's target number ("*": all) and merges it (UpdateTargetsFromServer, a full
    // rebuild for "*").  1 when a list was received.
    int GetServerTargets(const char *number);
    // Merges received targets into Targets by "Number" (ignoring case): a new one is prepared with
    // a new handle and takes every received key it has; an existing one keeps its local keys
    // (name, colours, icon, sound, program).  A full rebuild removes the targets the received list
    // lacks.  Then saves "targets.ini" (SaveLocalFiles).
    void UpdateTargetsFromServer(HASHLIST &received, int fullRebuild);

    // The list filter ("FilterType", "FilterTarget"; "*" for none).  A filter argument "-1" stands
    // for the stored option; null, empty or "*" for no filter (see LISTFILTER).
    // Stores both (null: "*") and repaints the window.
    void SetListFilter(const char *typeFilter, const char *targetFilter);
    // 1 when item does not pass the filters.
    int IsItemFilteredOut(HASH &item, const char *typeFilter, const char *targetFilter);
    // The text that names the filter in the window (text 3033 while the archive is shown).
    STRING GetListFilterText(const char *typeFilter, const char *targetFilter);
    // The handles (decimal text) of the current list's items of type whose "TargetNumber" is
    // targetNumber ("*": any), both compared ignoring case; under the items lock.
    STRINGARRAY GetItemHandles(const char *type, const char *targetNumber);

    // At start: font records of old settings ("PopupFont", "ListFont") become font texts, and
    // "Version" the program's version; the settings are saved when anything changed.
    void UpgradeSettings();
    // load: starts the MAPI session when there is none and, when it runs, rebuilds
    // "MapiAddressBooks" with every book active.  !load: empties that list and ends the session.
    void LoadMapiStuff(int load);
    // Creates the folder when it does not exist; a folder that still does not exist is an
    // assertion failure.  true when the folder exists afterwards.
    bool EnsureDirectory(const char *path);
    // Opens the message file msgFile (beginning with ".") of item: fetches it from the server
    // (PeerMsgFile; the copy is deleted at the end) and opens the copy.  1 when it was opened.
    int OpenMessage(const char *msgFile, HASH &item);
    // Opens a local message file by its last three characters: "WAV" and "MP3" in the sound
    // player or a program ("PlaybackDoSpecial"), "TIF" and "SFF" in the fax viewer or, with
    // "FaxviewDoSpecial", converted and opened by the shell or "FaxviewSpecialCmdline", "SMS" in
    // the SMS dialog.  callerText and targetText title the player; itemHandle: the call-list
    // entry (0: none).  Files made by conversions are deleted at the end.  1 when it was opened.
    int OpenMessage(const char *path, const char *callerText, const char *targetText, const char *timeText,
                    uint32_t itemHandle);
    // Shows the tip of the day at start (by its style) or, forced, from the menu.
    void ShowTipOfDay(int force);
    // Lays out the controls of the client area: here the status bar.
    void ArrangeControls();

    // Sends the SFF fax file of pages pages: the right and the server's fax, the server's send
    // options and the presets of the page's fax commands, the send dialog unless the presets
    // say otherwise, then the fax job.  Returns when the user has finished.
    void SendFaxFile(const char *file, int pages);
    // Asks the server to poll a fax: the poll dialog, then the poll job.
    void PollFaxFile();
    // Reads the fax commands written on the first page of the SFF fax file, blanks the known
    // ones on the page (saved back over the file) and keeps their presets in "faxpreset.ini" of
    // the work folder for the next SendFaxFile.  1 when presets were stored, else 0.
    int OCRFaxFile(const char *file);
    // The recognition of fax commands on a TIFF page (OCRCHIE); tests put their own in its
    // place.  The caller owns the reader.
    typedef FAXCOMMANDREADER *(*FAXCOMMANDREADERFACTORY)(const char *tiffFile);
    static FAXCOMMANDREADERFACTORY ReadFaxCommands;

    // Adds a file that is deleted when the object is cleaned up.
    void AddTempFile(const char *path);
    // Deletes them (Cleanup).
    void DeleteTempFiles();

    // The settings, read and written under SettingsLock; a missing name reads as empty.
    STRING GetSetting(const char *name);
    void SetSetting(const char *name, const char *value);
    // Calls number back the way "DoubleClickCallback" says, with "LocalOutsideLine" in front: 1
    // asks Windows telephony to dial (called party: name), 2 shows the once-box hint and plays
    // the tones, 3 starts "CallbackSpecialProgram" without waiting; any other value does nothing.
    // 1 when the chosen way was carried out (telephony accepted the request, the tones could be
    // started, the program was started), 0 otherwise.
    int CallPhoneNumber(const char *number, const char *name);
    // Plays the keys of text as DTMF tones on the default wave-out device, returning when they
    // have played.  1 when the device could be started, 0 when not.
    static int PlayDtmfNumber(const char *text);
    // The digits of the first phone number in text; empty when it holds none.
    static STRING ExtractPhoneNumber(const char *text);
    // The telephony request of CallPhoneNumber (tapiRequestMakeCall's arguments and result, 0
    // when accepted).  Tests put their own in its place.
    typedef long (*MAKECALLFUNCTION)(const char *destination, const char *appName, const char *calledParty,
                                     const char *comment);
    static MAKECALLFUNCTION MakeCall;

    // The logged-on server's name (empty while not logged on), under ServerLock.
    STRING GetLoggedOnServer();
    void SetLoggedOnServer(const char *name, const char *port, const char *address);

    // The state the server pushes (apppushed_win32.cpp): the channels, status texts, messages and
    // warnings; 1 when command is one of them.
    int HandlePushedState(STRING &command, HASH &params, STRING &result);
    // The status bar's channel parts for a "BChannelStatus" text (window thread).
    void ShowChannelStatus(const char *text);
    // Fades the music player down when text has a busy channel and up again when it has none,
    // under ITunesLock (any thread; blocks for the fade).
    void FadeMusicForChannels(const char *text);
    // Posts message with a copy of text (lParam, deleted by the window thread) to the window.
    void PostToWindow(UINT message, WPARAM wParam, const STRING &text);
    // The window's messages of the pushed state; 1 when message was one of them.
    int HandlePushedMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The session with the server (appsession_win32.cpp).  LogonToServer: finds the server (the
    // configured one; with none, asks every server by broadcast), logs on, takes over the rights
    // and the server's facts and loads the lists; checkConnectivity: ask the server first whether
    // it can call this client back.  1 when logged on.  Returns 0 at once while the PC is
    // powered down or another logon runs.  Any thread.
    int LogonToServer(int checkConnectivity);
    // Undoes the logon; serverLost: the server is gone (no "LOGOUT" is sent, the archive view is
    // closed).  Returns 1.  Any thread.
    int LogoutFromServer(int serverLost);
    // Asks server ("host" or "host:port") whether it can reach this client: 1 when it answered
    // "<OK>".  Else 0, after an error box unless silent or powered down.
    int QueryIPConnectivity(const char *server, int silent);
    // The server-to-client commands of the session ("WELCOME", "STARTSERVER", "PERMCHANGED",
    // "STOPSERVER", "SERVEROPTIONSCHANGED"); 1 when command is one of them.
    int HandleSessionCommand(STRING &command, HASH &params, STRING &result);
    // Runs the logon at construction (the logon thread); tests of other parts switch it off
    // before they construct the object.
    static std::atomic<int> LogonAtStart;

    // Jobs for the server (appjobs_win32.cpp): each builds its record (JOBRECORD) and sends it
    // with AddJob.  1 when "ADDJOB" succeeded.  JobsAddFax: poll asks for a fax instead of sending
    // one; a fax to send without file data is not sent (0).  comment and jobName: null when not
    // given.
    int JobsAddFax(int poll, const char *dest, const STRING &fileData, int pages, const char *originMsn,
                   const char *headline, const char *stationId, int attempts, int pause, int isdnService,
                   const char *comment, const char *jobName, uint64_t schedule);
    int JobsAddMail(const char *to, const char *from, const char *body, const char *subject, const char *attachFile,
                    const char *attachName, uint64_t schedule, int deleteAfterSuccess, const char *jobName);
    int JobsAddSmsDlg(const char *orig, const char *dest, const char *msg, const char *sourceMsn, const char *appData,
                      uint64_t schedule, const char *jobName);
    // "ADDJOB" with job to "{SERVER}", waiting for the answer (which is not read); a failure is
    // reported once.  1 on success.
    int AddJob(HASH &job);

    // Queues a job for the worker thread (one name per job; run first in, first out).
    void AddQueuedFunction(const char *name);
    // Part 0 of the status bar; with clearLater, timer 4 empties it again.
    void SetStatusText(const char *text, bool clearLater);
    // The tray icon (2090 logged on, 2093 not).
    void SetTrayIcon(int iconId);

    // Seams of the main window: each logs that it ran.  RunIntroWizard: the first-run wizard;
    // DisableMenuItems: the menu by the rights; ClearTreeview: empties the target tree;
    // CloseArchiveView: closes the archive view and waits until it has closed; ConnectDialog:
    // the 'connect to' dialog (WM_COMMAND 2103).
    void RunIntroWizard();
    void DisableMenuItems();
    void ClearTreeview();
    void CloseArchiveView();
    void ConnectDialog();
    // "SERVERTARGETSCHANGED" with its "Targets" text, and "SERVERONETARGETCHANGED" with its
    // "Target" text (queryAnswer: it carried "CFQueryResult").
    void ServerTargetsChanged(const STRING &text);
    void ServerOneTargetChanged(const STRING &text, bool queryAnswer);
    // See LISTCHANGE::DiffRecordLists.
    void DiffRecordLists(HASHLIST &a, HASHLIST &b, HASHLIST &out);
    // After a change of Callers (callersChanged, its changed records callersDiff) or of Targets
    // (targetsChanged, targetsDiff): the caller and target values of the items of both views
    // taken again (LISTCHANGE::RefreshItems); only the items whose values changed are redrawn.  A
    // set flag without its list is an assertion failure ("pcallersdiff", "ptargetsdiff").
    void UpdateItemsAfterListChange(int callersChanged, int targetsChanged, HASHLIST *callersDiff,
                                    HASHLIST *targetsDiff);
    // "SAVEONETARGET" with the record and the tree flag; 1 when the server answered "<OK>".
    int SaveServerOneTarget(HASH &target, int treeUpdate);
    // "FINDCALLER" for number: 1 and caller = the server's record when it knew the number, else
    // 0 and caller unchanged.
    int FindServerCaller(const char *number, HASH &caller);
    // "ADDCALLER" with the record, not waiting; a failed call is reported.
    void AddServerCaller(HASH &caller);

    // Queues name for the worker thread (AddQueuedFunction) unless APP is being constructed or
    // cleaning up (appworker_win32.cpp).
    void QueueJobIfRunning(const char *name);
    // Seam of the main window: fills the target tree (logs that it ran).
    void FillTreeview();
    // The worker thread (appworker_win32.cpp).  PingThread: its body, which checks the server and
    // runs the queued jobs until StopPingThread is set, then returns 0.  Started once by the
    // constructor (StartPingThread: false when it could not be), ended by Cleanup (EndPingThread:
    // sets the stop flag and waits for the worker while dispatching messages).
    int PingThread();
    bool StartPingThread();
    void EndPingThread();
    // WM_POWERBROADCAST (window thread): a suspend or standby sets PoweredDown and logs off, the
    // resume that follows clears it and queues the re-logon.  Other events are ignored.
    void PowerBroadcast(WPARAM event);
    // The names of the worker's jobs.
    static const char *const QUEUED_FILLLISTVIEW;
    static const char *const QUEUED_CLEARLISTVIEW;
    static const char *const QUEUED_FILLTREEVIEW;
    static const char *const QUEUED_CLEARTREEVIEW;
    static const char *const QUEUED_RENEWTREEVIEW;
    static const char *const QUEUED_LOGONTOSERVER;
    static const char *const QUEUED_RELOGONAFTERPOWERDOWN;

    // OpenMessage of a fax file with "FaxviewDoSpecial" set to special (kind "TIF" or "SFF").
    int OpenFaxSpecial(const STRING &file, const STRING &kind, int special);
    // The fax job of SendFaxFile and PollFaxFile from the keys of options (JobsAddFax).
    int AddFaxJob(int poll, const char *dest, const STRING &fileData, int pages, HASH &options);

    // The server's list updates ("UPDATELISTVIEW", the logon's merge), run by LISTUPDATE on the
    // calling thread; see listupdate.h.  Create appends item to view (ItemView or ArchiveView)
    // under the handle id (0: its own); quiet 1 for the items of a batch (logon, archive), which
    // are not announced, shown or saved one by one: the batch saves and fills the view itself.
    int UpdateListviewCreate(ITEMVIEW &view, HASH &item, uint32_t id, const char *sender, int quiet);
    // Copies item (handle id) into ItemView's item; quiet 1 for the logon merge, which creates an
    // item the list lacks.  1 when an item was changed or created.
    int UpdateListviewChange(HASH &item, uint32_t id, int quiet);
    // Remove the items of the "|"-separated handles from ItemView (Archive: state must be "1").
    void UpdateListviewDelete(const char *ids);
    void UpdateListviewArchive(const char *state, const char *ids);
    // Removes item index of view and its row; the caller holds the items lock.
    void RemoveListviewItem(ITEMVIEW &view, int index);
    // Starts FillArchiveListview with query on a thread of its own; false while one runs or when
    // the thread cannot be started.
    bool StartFillArchiveListview(const char *query);
    // Stops a running archive fill and waits for its end, dispatching messages meanwhile.
    void StopFillArchiveListview();
    // The archive thread's body: ArchiveView filled from the server's "GETITEMS" with "ExecSql".
    void FillArchiveListview(const char *query);
    // Scroll Lock blinking for unread messages: on 1 starts timer 2 (1000 ms; the light toggles on
    // each tick) when "ScrollLockBlinking" is set and it does not blink yet; on 0 stops the timer,
    // waits LISTUPDATE::ScrollLockOffMs and switches the light off.  Any thread.
    void DoScrollLockBlinking(int on);
    // Switches the Scroll Lock light (OSYS::SetScrollLock's modes: 0 off, 1 on, 2 over).  Tests
    // put their own in its place, so that they leave the display's keyboard alone.
    typedef int (*SCROLLLOCKFUNCTION)(int mode);
    static SCROLLLOCKFUNCTION SetScrollLockLight;
    // Prints the fax sending report of item (a sent fax: "MsgFile", "TransmissionInfo"): with
    // withDialog through the print dialog, else on "FaxSendSpecialPrinter" (a DEVMODE) or the
    // default printer.  The fetched copy of the fax is deleted on every path.  Non-zero when a
    // printer was opened and the report printed.
    int PrintFaxSendingReport(HASH &item, int withDialog);

    // Starts (ms > 0) or stops (ms 0) a timer of the main window from any thread: timers belong to
    // the window's thread, so another thread asks it by message 1042.
    void ArmTimer(UINT_PTR timer, UINT ms);
    // The private messages of the list updates: 1025 (the pop-up request, freed here), 1028,
    // 1033 to 1035 and 1264 are logged; 1042 arms a timer.  1 when message was one of them.
    int HandleListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Timer 1 closes the pop-up; timer 2 toggles the Scroll Lock light; 1 when timer was one of them.
    int HandleListTimer(UINT_PTR timer);
    LRESULT OnSized() override;
    LRESULT OnDestroy() override;
    // The Windows session ends: cleans up, then no local file is saved any more.
    LRESULT OnEndSession() override;
    LRESULT OnTimer(UINT_PTR timer) override;
    LRESULT OnCommand(int command) override;
    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The window's messages outside WINDOW's slots (WM_POWERBROADCAST), then WINDOW's.
    LRESULT WinProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The window's own messages of the session: a status text (wParam: clear later; lParam: a
    // STRING that the receiver deletes, or none to only arm the clearing) and the title again.
    enum { WM__SETSTATUSTEXT = WM_USER + 76, WM__REFRESHTITLE = WM_USER + 77 };
    int HandleSessionMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Timer 4 empties part 0 of the status bar; 1 when timer was it.
    int HandleSessionTimer(UINT_PTR timer);

    HASH Settings;              // the client settings of "parlomatix.ini"; SettingsLock
    CRITSECT SettingsLock;
    WORKDIR WorkDir;            // the work-folder decision
    STATUSBAR *StatusBar;       // owned
    std::atomic<COMMINTERFACE *> Comm; // owned; null before construction and from Cleanup on
    TASKBARICON *TrayIcon;      // owned
    int TrayIconId;             // 2093 while not logged on; TrayLock
    STRING TrayTooltip;         // TrayLock
    CRITSECT TrayLock;
    CLIENTS ActiveClients;      // "Name", "PeerId", "Port", "PassiveMode"; its own lock
    ITEMVIEW ItemView;          // the current calls and messages (list 2002); its items lock
    ITEMVIEW ArchiveView;       // the archive (list 2003); its items lock
    CALLERS Callers;            // the phone book; its own lock
    TARGETS Targets;            // the own numbers; its own lock
    CLIENTS Clients;            // the server's users; its own lock
    HASH Rights;                // the user's rights from the logon ("Perm..." keys); RightsLock
    CRITSECT RightsLock;
    std::atomic<int> SessionEnded{0}; // set on WM_ENDSESSION after the clean-up: no saves
    std::atomic<int> NoSave{0};       // set while the local files must not be written
    std::atomic<int> PoweredDown{0}; // set while the PC is suspended
    STRING LoggedOnServer;      // the logged-on server's name; ServerLock
    STRING ServerPort;          // its port; ServerLock
    STRING LoggedOnAddress;     // the address logged on to ("NetworkPrimaryServer"); ServerLock
    CRITSECT ServerLock;
    std::atomic<int> LoggedOn{0};
    std::atomic<int> Constructing{1};  // 1 until the constructor has finished
    std::atomic<int> CleaningUp{0};    // set when Cleanup starts
    std::atomic<int> ArchiveViewActive{0};
    HASHLIST SecondaryCallers;  // the secondary caller file's records; SecondaryCallersLock
    MUTEXSEM SecondaryCallersLock; // held through a lookup, its program included
    MAPICLASS *Mapi;            // owned; null until MAPI is loaded; MapiLock
    MUTEXSEM MapiLock;
    MUTEXSEM CallLogLock;       // one call-log line at a time
    static MUTEXSEM SoundLock;  // process-wide: one call's sounds at a time
    // The music player's fade: one at a time; whether it is faded and its volume before.
    MUTEXSEM ITunesLock;
    int ITunesFaded = 0;  // ITunesLock
    int ITunesVolume = 0; // ITunesLock
    unsigned long WindowThread = 0;    // the thread that built the window

    // The logon state beside LoggedOn and the server fields: the logon lock, held during the
    // "LOGIN" exchange and during the logout (its WindowThreadId is the window thread's, which
    // keeps dispatching while it waits); the password sent with the last successful "LOGIN"
    // (ServerLock); the server's folder (ServerLock) and hardware, written by the logon.
    MUTEXSEM LogonLock;
    std::atomic<int> LogonRequests{0}; // how often LogonToServer was called (for tests)
    STRING StoredPassword;
    STRING ServerDirectory;
    std::atomic<int> IsdnBoardDetected{0};
    std::atomic<int> CanFax{0};
    std::atomic<int> CanFaxPoll{0};
    std::atomic<int> CanCallForwarding{0};
    // The worker thread's job queue: job names, appended and taken under its own lock.
    STRINGARRAY QueuedFunctions;

    // The fax and sound tools (borrowed; null while a tool is not there: its use then ends as
    // cancelled).  Set on the window thread before use.
    FAXDIALOGS *FaxDialogs = nullptr;
    SOUNDPLAYERDIALOG *SoundPlayer = nullptr;
    FAXVIEWERWINDOW *FaxViewer = nullptr;
    SMSSENDDIALOG *SmsDialog = nullptr;
    SOUNDRECORDING *SoundRecorder = nullptr;
    // Files deleted by Cleanup; TempFilesLock.
    STRINGARRAY TempFiles;
    CRITSECT TempFilesLock;
    // The call-forwarding dialog while it is open (set and cleared by the window thread), whose
    // controls show the server's answer; and whether a forwarding query waits for it.
    std::atomic<HWND> ForwardingDialog{nullptr};
    std::atomic<int> CFQueryInProgress{0};
    // The worker thread: its handle (owned; written on the window thread) and its stop flag.
    void *hPingThread = nullptr;
    std::atomic<int> StopPingThread{0};

    APPLISTHOST *ListHost;      // owned
    LISTUPDATE *ListUpdate;     // owned: the list updates on ItemView, ArchiveView and Targets
    SEMITOOLTIP *Popup;         // owned: the open call pop-up (none before the main window shows
                                // one); PopupLock
    STRING ClickProgram;        // started on a click on the pop-up (a target's "ProgClick"); PopupLock
    CRITSECT PopupLock;
    std::atomic<int> ScrollLockBlinks{0}; // 1 while timer 2 blinks the light
    void *hFillArchiveLvThread; // owned: the archive thread's handle, or null; ArchiveLock
    std::atomic<int> FillArchiveRunning{0};
    CRITSECT ArchiveLock;
private:
    // The worker's steps: the check of the server, the draining of the queue, one job, the
    // re-logon after a power-down, and a pause that ends early when the worker is to stop.
    void CheckServer();
    void RunQueuedFunctions();
    void RunQueuedFunction(const STRING &name);
    void RelogonAfterPowerDown();
    void PauseWorker(int ms);
    // The steps of LogonToServer from the "LOGIN" parameters on, with a server configured.
    int LogonSteps(const STRING &server, int checkConnectivity);
    // The "LOGIN" exchange under the logon lock; 1 with answer and password (the one sent) on
    // success.
    int LoginExchange(const STRING &server, int reachable, HASH &answer, STRING &password);
    // The facts and files of the server after the take-over, then the lists and the calls.
    void FetchServerFacts();
    void FetchItems(const STRING &serverName);
    // The calls of the logon into the current list: with a local list the calls the server lacks
    // are removed and those up to lastId changed in place; the others are created.  Quiet, one
    // save after the batch.
    void MergeItems(HASHLIST &received, bool localList, uint32_t lastId);
    // The SMS options of the server to the gateway choice; 0 when the call failed.
    int TakeSmsSendOptions();
    // Status text id with "$NAME" replaced by name.
    void ShowStatus(int textId, const char *name, bool clearLater);
    // "user@station".
    static STRING Who();
};


// Records a sound file over owner with the recorder: on confirmation the name is file, or with
// choose the one picked in the file-save dialog (filter, starting at file); an existing file is
// replaced only when the user says yes (text 2995).  The name (also when the user declined to
// replace the file: then nothing was saved), or an empty text when the recorder or the file
// dialog was cancelled.  recorder: the recorder to run (null: none, like a cancel).
STRING RecordSoundFile(HWND__ *owner, const char *file, int choose, const char *filter, SOUNDRECORDING *recorder);

#endif
