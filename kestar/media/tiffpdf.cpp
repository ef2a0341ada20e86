// The TIFF-to-PDF writer's entry.  This build has no PDF writer yet: every conversion fails with
// a log line, so that an export to PDF reports its failure instead of leaving no file silently.
#include "kestar/media/tiffpdf.h"

#include "kestar/base/logit.h"
#include "kestar/base/string.h"

int convert_tiff_to_pdf(const char *input, const char *output)
{
    LOGIT::Printf("convert_tiff_to_pdf %s -> %s: no PDF writer in this build\n",
                  STR::SafeText(input, "convert_tiff_to_pdf"), STR::SafeText(output, "convert_tiff_to_pdf"));
    return 0;
}
