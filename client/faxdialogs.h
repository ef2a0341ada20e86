// FAXDIALOGS: the send-fax and poll-fax dialogs as the client core runs them.  The fax tools
// implement it (FAXCONTROL); tests put a double in its place that confirms with options of their
// own.  Neither call submits a job: that is the caller's business.
#ifndef CLIENT_FAXDIALOGS_H
#define CLIENT_FAXDIALOGS_H

#include "common/callers.h"
#include "common/targets.h"
#include "kestar/base/hash.h"

struct HWND__;

class FAXDIALOGS {
public:
    virtual ~FAXDIALOGS() = default;
    // Lets the user edit options (the fax send keys) for sending faxFile, with the own numbers of
    // targets and the fax numbers of phoneBook to choose from.  1 when confirmed, else 0.
    virtual int SendFaxDialog(HWND__ *owner, HASH &options, TARGETS &targets, CALLERS &phoneBook,
                              const char *faxFile) = 0;
    // The same for a poll ("FaxPollDestination" and the send keys it shares).
    virtual int PollFaxDialog(HWND__ *owner, HASH &options, TARGETS &targets, CALLERS &phoneBook) = 0;
};

#endif
