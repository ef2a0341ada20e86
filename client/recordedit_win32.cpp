// The editors of the record lists, reached through CALLERS::Edit, CLIENTS::Edit and
// TARGETS::Edit.  The lists themselves are portable and shared with the server; their editors
// are dialogs of the client.  Until the editor dialogs exist, each seam logs and reports that
// the user did not confirm.
#include "common/callers.h"
#include "common/clients.h"
#include "common/targets.h"
#include "kestar/base/logit.h"

bool CALLERS::Edit(WINDOW *parent, APP *app, int mode, int remote, int local)
{
    (void)parent;
    (void)app;
    LOGIT::Printf("CALLERS::Edit mode=%d remote=%d local=%d: no editor\n", mode, remote, local);
    return false;
}

bool CLIENTS::Edit(WINDOW *parent, APP *app, int unused)
{
    (void)parent;
    (void)app;
    (void)unused;
    LOGIT::Printf("CLIENTS::Edit: no editor\n");
    return false;
}

bool TARGETS::Edit(WINDOW *parent, APP *app, HASH *single, int mode, int remote, int pages)
{
    (void)parent;
    (void)app;
    LOGIT::Printf("TARGETS::Edit single=%d mode=%d remote=%d pages=%d: no editor\n", single ? 1 : 0, mode, remote,
                  pages);
    return false;
}
