// The message-pumping wait of the window thread: wait for a handle while the thread keeps
// dispatching its window messages, so that a worker that waits for the window (a sent message, a
// remote call answered through the window) cannot deadlock it.  Windows only.
#ifndef KESTAR_WINWAIT_H
#define KESTAR_WINWAIT_H

namespace WINWAIT {

// Waits for handle (a waitable Win32 handle) for at most timeout ms (-1 without limit, 0 polls),
// dispatching up to 10 queued messages whenever input arrives.  The time-out is the total time of
// the call, however much message traffic there is.  Returns the Win32 wait code: WAIT_OBJECT_0,
// WAIT_ABANDONED, WAIT_TIMEOUT or WAIT_FAILED.
unsigned long WaitForHandle(void *handle, int timeout);

} // namespace WINWAIT

#endif
