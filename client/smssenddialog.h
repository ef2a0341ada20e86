// SMSSENDDIALOG: the SMS send dialog as the client core runs it for a stored SMS message.  The
// SMS tools implement it (SMSDIALOG::Run); tests record the calls.
#ifndef CLIENT_SMSSENDDIALOG_H
#define CLIENT_SMSSENDDIALOG_H

#include "common/callers.h"
#include "common/targets.h"
#include "kestar/base/hash.h"

struct HWND__;

class SMSSENDDIALOG {
public:
    virtual ~SMSSENDDIALOG() = default;
    // Runs the dialog modally over owner on options (the settings with the message's keys), the
    // own numbers of targets and the mobile numbers of phoneBook; focusDestination 1 puts the
    // focus on the destination, 0 on the text.
    virtual void Run(HWND__ *owner, HASH &options, TARGETS &targets, CALLERS &phoneBook, int focusDestination) = 0;
};

#endif
