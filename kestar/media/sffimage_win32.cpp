// SFFIMAGE's bitmap slot: SFF pages are shown through the base form only.
#include "kestar/media/sffimage.h"

#include "kestar/base/logit.h"

HBITMAP__ *SFFIMAGE::GetBitmap() const
{
    LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, "SFFIMAGE::GetBitmap", 0);
    return nullptr;
}
