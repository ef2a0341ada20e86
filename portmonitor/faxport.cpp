// FAXPORT: the job buffer of one port and its limit.
#include "portmonitor/faxport.h"

#include <atomic>
#include <climits>

#include "kestar/base/logit.h"

namespace {

// Read by every port's writer; set by tests before they write.
std::atomic<int64_t> gJobLimit{FAXPORT::kDefaultJobLimit};

} // namespace

FAXPORT::FAXPORT() : JobId(0), PrinterHandle(nullptr), JobBuffer(), Refused(false)
{
}

void FAXPORT::StartJob(uint32_t jobId)
{
    JobBuffer = STRING();
    JobBuffer.BlockSize = STRING_DEFAULT_BLOCKSIZE;
    JobBuffer.Flags |= STRINGFLAG_DYNABLOCK;
    JobId = jobId;
    Refused = false;
}

bool FAXPORT::Write(const void *bytes, uint32_t count)
{
    if (Refused)
        return false;
    if (count > 0 && bytes == nullptr)
        return false;
    const int64_t length = JobBuffer.Length();
    if (length + static_cast<int64_t>(count) > GetJobLimit()) {
        LOGIT::Printf("FAXPORT::Write job %u refused: %lld + %u bytes is past the limit of %lld\n", JobId,
                      static_cast<long long>(length), count, static_cast<long long>(GetJobLimit()));
        Refused = true;
    } else if (count > 0 && !JobBuffer.TryAppend(bytes, static_cast<STRING_SIZE_T>(count))) {
        LOGIT::Printf("FAXPORT::Write job %u refused: no memory for %lld + %u bytes\n", JobId,
                      static_cast<long long>(length), count);
        Refused = true;
    }
    if (Refused)
        JobBuffer.Free();
    return !Refused;
}

void FAXPORT::SetJobLimit(int64_t bytes)
{
    // TryAppend keeps 16 bytes below the 32-bit length limit.
    const int64_t most = INT32_MAX - 16;
    gJobLimit.store(bytes < 0 ? 0 : (bytes > most ? most : bytes));
}

int64_t FAXPORT::GetJobLimit()
{
    return gJobLimit.load();
}
