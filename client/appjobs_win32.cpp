// APP: the jobs that the phone server runs for the client (faxes, e-mails, SMS), handed over with
// "ADDJOB".  The records are JOBRECORD's.
#include <windows.h>

#include "client/app.h"

#include "client/jobrecord.h"
#include "common/commandnames.h"
#include "kestar/base/logit.h"

int APP::AddJob(HASH &job)
{
    STRING result;
    if (!DispatchFunction(PLXPEER::SERVER, PLXCMD::ADDJOB, job, result, 1, -1)) {
        ReportCommError("DispatchFunction ADDJOB failed", "COMM", "NETWORK");
        return 0;
    }
    return 1;
}

int APP::JobsAddFax(int poll, const char *dest, const STRING &fileData, int pages, const char *originMsn,
                    const char *headline, const char *stationId, int attempts, int pause, int isdnService,
                    const char *comment, const char *jobName, uint64_t schedule)
{
    LOGIT::Printf("APP::JobsAddFax\n");
    int rc = 0;
    if (!poll && fileData.IsEmpty()) {
        // A fax to send needs its pages; a poll has none by design.
        LOGIT::Printf("APP::JobsAddFax no file data for %s: not sent\n", dest ? dest : "<NULL>");
    } else {
        HASH job = JOBRECORD::Fax(poll, dest, fileData, pages, originMsn, headline, stationId, attempts, pause,
                                  isdnService, comment, jobName, schedule);
        rc = AddJob(job);
    }
    LOGIT::Printf("APP::~JobsAddFax\n");
    return rc;
}

int APP::JobsAddMail(const char *to, const char *from, const char *body, const char *subject, const char *attachFile,
                     const char *attachName, uint64_t schedule, int deleteAfterSuccess, const char *jobName)
{
    LOGIT::Printf("APP::JobsAddMail\n");
    HASH job = JOBRECORD::Mail(to, from, body, subject, attachFile, attachName, schedule, deleteAfterSuccess, jobName);
    const int rc = AddJob(job);
    LOGIT::Printf("APP::~JobsAddMail\n");
    return rc;
}

int APP::JobsAddSmsDlg(const char *orig, const char *dest, const char *msg, const char *sourceMsn, const char *appData,
                       uint64_t schedule, const char *jobName)
{
    LOGIT::Printf("APP::JobsAddSmsDlg\n");
    HASH job = JOBRECORD::SmsDlg(orig, dest, msg, sourceMsn, appData, schedule, jobName);
    const int rc = AddJob(job);
    LOGIT::Printf("APP::~JobsAddSmsDlg\n");
    return rc;
}
