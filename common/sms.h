// SMS: the process-wide table of SMS gateways ("smsprovider.ini", sent by the server at logon) and
// the gateway the server's options select, with the mobile-number check of the SMS dialogs.
// Every operation takes the one lock of the table and the selection, so the remote-call threads,
// the logon and the dialogs may call them at any time.  Portable.
#ifndef COMMON_SMS_H
#define COMMON_SMS_H

#include "kestar/base/hashlist.h"
#include "kestar/base/string.h"

class SMS {
public:
    // The keys of a provider record, in preparation order.
    static const char *const KEYS[];
    static const int NUMKEYS;

    // Loads the table from "smsprovider.ini" in folder (the current folder when folder is null or
    // empty), or from "smsprovider.inf" when only that exists, unless a table is loaded already and
    // force is 0.  Every record gets the six keys (empty when missing), blanks in "ServiceName"
    // become "-", a value outside the allowed set of its key is an assertion failure (the record
    // stays), and its key table is closed.  A new table drops the selection.  A missing file is the
    // assertion failure "FALSE" and leaves the table as it was.  1 when a table is loaded (now or
    // before), else 0.
    static int LoadProviders(const char *folder, int force);
    // Loads as LoadProviders(folder, 0) and returns a copy of the table.
    static HASHLIST GetProviders(const char *folder);
    // Loads, stores attempts, pause and the check-mobile flag, and selects the record whose
    // "ServiceNumber" equals gatewayNumber (ignoring case), else the first record.  The index
    // found, -1 when none was (also when the table is empty; then nothing is selected).
    static int SelectGateway(int attempts, int pause, int checkMobile, const char *gatewayNumber, const char *folder);
    // The "ServiceProtocol" of the selected gateway; empty, and the assertion failure
    // "SMS::SendServiceIdx!=-1", when none is selected.
    static STRING GetServiceProtocol();
    // 1 when number begins with one of the "|"-separated prefixes of the selected gateway (compared
    // case-sensitively, up to the first empty prefix); 0 for an empty or null number.  Without a
    // selected gateway: 0 and the assertion failure "SMS::SendServiceIdx!=-1".
    static int IsProviderPrefix(const char *number, const char *folder);
    // IsProviderPrefix while the check-mobile flag is set, else 1.
    static int CheckMobileNumber(const char *number, const char *folder);

    // The selected index (-1 when none), attempts and pause between attempts as stored last.
    static int GetSelectedIndex();
    static int GetAttempts();
    static int GetPauseBetween();

    // For tests: no table, nothing selected, the stored values 0.
    static void ResetForTests();
};

#endif
