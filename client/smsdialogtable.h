// SMSDIALOGTABLE: the SMS dialogs that are open, by number.  A dialog's job report
// ("SMSDIALOGCALLBACK") comes back from the server carrying the number of the dialog in "This"
// and, in its callback text "AppData", the number of its window as the fourth word.  Nothing that
// arrives from the network is used as an address: both numbers are looked up here, and a report
// for a dialog that is no longer open (or never was) is logged and ignored.  Portable.
//
// Threads: dialogs enter and leave on the window thread; reports arrive on remote-call threads.
// The table is guarded by one lock, held while a report is delivered, so that a dialog cannot
// leave while its report runs.
#ifndef CLIENT_SMSDIALOGTABLE_H
#define CLIENT_SMSDIALOGTABLE_H

#include <map>

#include "kestar/base/critsect.h"
#include "kestar/base/string.h"

// What an open SMS dialog offers the table: its job reports (status text, job id, callback text).
// Called on a remote-call thread with the table locked; it must not enter or leave the table.
class SMSJOBSINK {
public:
    virtual ~SMSJOBSINK() = default;
    virtual void OnJobCallback(const char *info, unsigned long jobId, const char *appData) = 0;
};

class SMSDIALOGTABLE {
public:
    // The one table of the process.
    static SMSDIALOGTABLE &Get();

    SMSDIALOGTABLE() = default;
    SMSDIALOGTABLE(const SMSDIALOGTABLE &) = delete;
    SMSDIALOGTABLE &operator=(const SMSDIALOGTABLE &) = delete;

    // Enters an open dialog (borrowed: it must leave before it goes); returns its number (never
    // 0), which stands for the dialog in "This" and for its window in the callback text.
    unsigned long Enter(SMSJOBSINK *dialog);
    void Leave(unsigned long number);
    // The callback text of a dialog: sender ("%20" for blanks), "SMSDIALOGCALLBACK", the number
    // twice.
    static STRING CallbackText(const char *sender, unsigned long number);
    // Hands a report to the dialog that "This" names when the callback text's window word names
    // the same open dialog; true when delivered.  Anything else is logged and ignored.
    bool Deliver(const STRING &thisText, const STRING &jobId, const STRING &info, const STRING &appData);

private:
    std::map<unsigned long, SMSJOBSINK *> Open; // guarded by lock
    unsigned long Next = 1;                    // guarded by lock
    CRITSECT lock;
};

#endif
