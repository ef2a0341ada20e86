// The job records of "ADDJOB", their keys set in the order of the job table.
#include "client/jobrecord.h"

namespace {

const char *Text(const char *s)
{
    return s ? s : "";
}

} // namespace

HASH JOBRECORD::Fax(int poll, const char *dest, const STRING &fileData, int pages, const char *originMsn,
                    const char *headline, const char *stationId, int attempts, int pause, int isdnService,
                    const char *comment, const char *jobName, uint64_t schedule)
{
    HASH job;
    job["Type"] = poll ? "FAXPOLL" : "FAXCALL";
    job["Dest"] = Text(dest);
    job["Filedata"] = fileData.IsNull() ? STRING("") : fileData.EncodeBase64(true);
    job["OriginMSN"] = Text(originMsn);
    job["Headline"] = Text(headline);
    job["StationID"] = Text(stationId);
    job["Attempts"] = STRING(attempts);
    job["Pause"] = STRING(pause);
    job["Pages"] = STRING(pages);
    job["IsdnService"] = STRING(isdnService);
    job["Schedule"] = STRING(static_cast<unsigned long long>(schedule));
    if (comment)
        job["Comment"] = comment;
    if (jobName)
        job["Jobname"] = jobName;
    return job;
}

HASH JOBRECORD::Mail(const char *to, const char *from, const char *body, const char *subject, const char *attachFile,
                     const char *attachName, uint64_t schedule, int deleteAfterSuccess, const char *jobName)
{
    HASH job;
    job["Type"] = "EMAIL";
    job["To"] = Text(to);
    job["From"] = Text(from);
    job["Body"] = Text(body);
    job["Subject"] = Text(subject);
    job["AttachFile"] = Text(attachFile);
    job["AttachName"] = Text(attachName);
    job["Schedule"] = STRING(static_cast<unsigned long long>(schedule));
    job["DeleteAfterSuccess"] = deleteAfterSuccess ? "1" : "0";
    if (jobName)
        job["Jobname"] = jobName;
    return job;
}

HASH JOBRECORD::SmsDlg(const char *orig, const char *dest, const char *msg, const char *sourceMsn,
                       const char *appData, uint64_t schedule, const char *jobName)
{
    HASH job;
    job["Type"] = "SMSDLG";
    job["Orig"] = Text(orig);
    job["Dest"] = Text(dest);
    job["Msg"] = Text(msg);
    job["SourceMSN"] = Text(sourceMsn);
    job["AppData"] = Text(appData);
    job["Schedule"] = STRING(static_cast<unsigned long long>(schedule));
    if (jobName)
        job["Jobname"] = jobName;
    return job;
}
