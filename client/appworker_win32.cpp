// APP: the worker thread's job queue and the jobs' seams of the main window.
//
// Threads: any thread queues; the queue's own lock is held for one append or one take only.
#include <windows.h>

#include "client/app.h"

#include "kestar/base/logit.h"

void APP::QueueJobIfRunning(const char *name)
{
    if (Constructing || CleaningUp) {
        LOGIT::Printf("APP %s not queued while constructing or cleaning up\n", name ? name : "<NULL>");
        return;
    }
    AddQueuedFunction(name);
}

void APP::FillTreeview()
{
    LOGIT::Printf("APP::FillTreeview\n");
}
