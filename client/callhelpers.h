// CALLHELPERS: the portable part of handling a call: finding the caller in the phone book and in
// the secondary caller file (read as CSV or as a record list, written on demand by a lookup
// program), the command line of a target's program with its call macros, the sound list of a
// call, the MAPI address-book list and the call-log line.  APP joins these with the operating
// system (the program start, MAPI, PlaySound, the list separator).  Portable.
#ifndef CLIENT_CALLHELPERS_H
#define CLIENT_CALLHELPERS_H

#include <utility>
#include <vector>

#include "client/texttable.h"
#include "common/callers.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/mutexsem.h"
#include "kestar/base/string.h"
#include "kestar/base/stringarray.h"

class CALLHELPERS {
public:
    // How a lookup program ran.
    enum RUNRESULT { RUN_FAILED = -1, RUN_TIMEDOUT = 0, RUN_ENDED = 1 };
    // Starts commandLine (no shell) and waits for its end at most timeoutMs; a RUNRESULT.  A
    // program still running after the time is left running.
    typedef int (*RUNFUNCTION)(const char *commandLine, const char *windowTitle, int timeoutMs);

    // The index of list's record that best matches number or canonical, or -1; keyPosition as
    // FindBestMatchNumber's.  Logs the line of APP::FindBestMatchNumberIdx.  The caller holds
    // the list's lock.
    static int BestMatchIdx(HASHLIST &list, const char *number, const char *canonical, STRING *keyPosition);

    // Looks number up in the phone book under its lock; 1 and caller = a copy of the record (and
    // keyPosition as BestMatchIdx) when found, else 0 and both unchanged.
    static int FindPrimaryCaller(CALLERS &callers, const char *number, const char *canonical, HASH &caller,
                                 STRING *keyPosition);

    // The secondary lookup, all under lock: with a program whose number is not in list yet,
    // empties list, fills "$number" and "$nummer" with the number and runs it through run (at
    // most timeoutMs; after that the file is read as it is); reads file into an empty list
    // (LoadSecondaryCallers); then finds the best match.  1 and caller = a copy when found,
    // else 0.  An empty file name gives 0 at once.
    static int FindSecondaryCaller(const char *number, const char *canonical, HASH &caller, HASHLIST &list,
                                   MUTEXSEM &lock, const char *file, int csv, const char *program, RUNFUNCTION run,
                                   const char *windowTitle, int timeoutMs);
    // Appends the callers of file to list and prepares every record of list as a caller.  CSV
    // form: per line "Number;Name;Blink;Sound;NoPopup" (missing fields empty, quotes at the ends
    // of a field removed, blanks, "/", "-", "(" and ")" removed from the number), each record
    // inserted at the index of its line.  List form: a record-list file.  A missing file adds
    // nothing; an empty name is an assertion failure.
    static void LoadSecondaryCallers(HASHLIST &list, const char *file, int csv);

    // The text MAPI contacts are searched for: the canonical number, or its last four
    // characters when it has six or more.
    static STRING MapiSearchKey(const char *canonical);
    // The new address-book list text: one record per book of books ("Name", entry id as text),
    // in that order, "Active" "1" for all with activateAll, else the "Active" of the record with
    // the same "EntryId" (case ignored) in oldList, "0" when it has none.
    static STRING MergeAddressBooks(const std::vector<std::pair<STRING, STRING>> &books, const char *oldList,
                                    int activateAll);

    // The command line of a target's program: its "Program", a blank and its "ProgParm" with the
    // call macros filled ("$toname" ... "$anruftyp").  caller: the found caller record, or null
    // ("$fromname" is then "<unknown>" and "$from" the number).  Values are inserted as text.
    static STRING BuildProgramCommandLine(HASH &target, HASH *caller, const char *canonical, const char *number,
                                          const char *callType);

    // The files of a tab-separated sound list, up to the first empty field.
    static STRINGARRAY SoundFiles(const char *list);

    // One call-log line with its CR LF: "caller -> target (time status)", or with csv the four
    // texts in double quotes (inner quotes doubled) joined by separator.
    static STRING CallLogLine(HASH &item, int csv, const char *separator, const TEXTTABLE &texts);
    // Appends the call-log line of item to file under lock: the file is opened for appending
    // (created when missing, others may read meanwhile), the line written whole and committed to
    // disk.  1 when it was written; 0 for an empty file name or a failed open or write.
    static int AppendCallLog(MUTEXSEM &lock, const char *file, int csv, const char *separator, HASH &item,
                             const TEXTTABLE &texts);
};

#endif
