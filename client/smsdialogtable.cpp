// The table of open SMS dialogs and the delivery of their job reports.
#include "client/smsdialogtable.h"

#include <cerrno>
#include <cstdlib>

#include "kestar/base/logit.h"

namespace {

// A whole unsigned decimal number; false for anything else (empty, signs, trailing bytes).
bool ReadNumber(const STRING &text, unsigned long &out)
{
    if (text.IsEmpty() || text[0] < '0' || text[0] > '9')
        return false;
    char *end = nullptr;
    errno = 0;
    out = std::strtoul(text, &end, 10);
    return errno == 0 && end && *end == '\0';
}

} // namespace

SMSDIALOGTABLE &SMSDIALOGTABLE::Get()
{
    static SMSDIALOGTABLE table;
    return table;
}

unsigned long SMSDIALOGTABLE::Enter(SMSJOBSINK *dialog)
{
    lock.Enter();
    unsigned long number = Next++;
    if (Next == 0)
        Next = 1;
    Open[number] = dialog;
    lock.Leave();
    return number;
}

void SMSDIALOGTABLE::Leave(unsigned long number)
{
    lock.Enter();
    Open.erase(number);
    lock.Leave();
}

STRING SMSDIALOGTABLE::CallbackText(const char *sender, unsigned long number)
{
    STRING who(sender ? sender : "");
    who.Replace(" ", "%20");
    STRING text;
    text.Format("%s SMSDIALOGCALLBACK %lu %lu", static_cast<const char *>(who), number, number);
    return text;
}

bool SMSDIALOGTABLE::Deliver(const STRING &thisText, const STRING &jobId, const STRING &info, const STRING &appData)
{
    unsigned long number = 0, window = 0, job = 0;
    const bool numbers = ReadNumber(thisText, number) && ReadNumber(appData.Word(3, STRING_TOKEN_NOTNULL), window);
    if (!ReadNumber(jobId, job))
        job = 0;
    bool delivered = false;
    lock.Enter();
    auto it = numbers && number == window ? Open.find(number) : Open.end();
    if (it != Open.end() && it->second) {
        it->second->OnJobCallback(info, job, appData);
        delivered = true;
    }
    lock.Leave();
    if (!delivered)
        LOGIT::Printf("SMSDIALOGTABLE::Deliver no open dialog for This=%s AppData=%s: ignored\n",
                      static_cast<const char *>(thisText), static_cast<const char *>(appData));
    return delivered;
}
