// The TIFF-to-PDF writer's entry (see tiffpdf.h): files, the temporary name and the fax defaults
// around the converter of t2p.cpp and t2pwriter.cpp.
#include "kestar/media/tiffpdf.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <new>

#include "kestar/base/filename.h"
#include "kestar/base/fsys.h"
#include "kestar/base/logit.h"
#include "kestar/base/string.h"
#include "kestar/media/t2p.h"
#include "kestar/media/t2poutput.h"
#include "kestar/media/t2pwriter.h"

namespace {

// libtiff's messages about the input go to the log, and on to its global handlers.
int LogMessage(TIFF *, void *kind, const char *module, const char *format, va_list arguments)
{
    char text[1024];
    vsnprintf(text, sizeof(text), format, arguments);
    LOGIT::Printf("TIFF %s: %s: %s\n", (const char *)kind, module ? module : "", text);
    return 0;
}

TIFF *OpenInput(const char *name)
{
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, LogMessage, (void *)"error");
    TIFFOpenOptionsSetWarningHandlerExtR(options, LogMessage, (void *)"warning");
    // A file claiming enormous tag arrays or strips cannot exhaust a 32-bit process.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, (tmsize_t)T2P_MAX_IMAGE_BYTES);
    TIFF *tif = TIFFOpenExt(name, "r", options);
    TIFFOpenOptionsFree(options);
    return tif;
}

} // namespace

bool convert_tiff_to_pdf_handles(TIFF *input, T2POUTPUT &output, TIFF *handle, const char *outputName)
{
    T2P *t2p = t2p_init();
    if (!t2p) {
        t2p_error("Can't initialize context");
        return false;
    }
    t2p->OutputName = outputName ? outputName : "";
    t2p->DefaultXRes = 219.0f;
    t2p->DefaultYRes = 208.0f;
    if (t2p_paper_size("A4", &t2p->DefaultPageWidth, &t2p->DefaultPageLength))
        t2p->OverridePageSize = true;
    t2p->Creator = "Parlomatix by Orvak";
    try {
        t2p_write_pdf(t2p, input, output, handle);
    } catch (const std::bad_alloc &) {
        // Every large block is sized and checked; this catches what is left (a 32-bit process
        // short of memory), so that a conversion fails instead of ending the program.
        t2p_error("Can't allocate memory for t2p_write_pdf, %s", TIFFFileName(input));
        t2p->Error = true;
    }
    bool ok = !t2p->Error && !output.Failed();
    t2p_free(t2p);
    return ok;
}

int convert_tiff_to_pdf(const char *input, const char *output)
{
    const char *in = STR::SafeText(input, "convert_tiff_to_pdf");
    const char *out = STR::SafeText(output, "convert_tiff_to_pdf");
    LOGIT::Printf("convert_tiff_to_pdf %s -> %s\n", in, out);
    // The PDF grows under a free name beside the output and replaces it only when complete, so a
    // failure never leaves half a PDF, nor touches a file already there.
    FILENAME target;
    target.SetText(out);
    FILENAME temp = target.TempNameBeside();
    FILE *stream = temp.NotEmpty() ? FILENAME::fsopen(temp.Text(), "wb") : nullptr;
    if (!stream) {
        if (temp.NotEmpty())
            FSYS::Remove(temp.Text());
        t2p_error("Can't open output file %s for writing", out);
        return 0;
    }
    bool ok = false;
    {
        T2POUTPUT pdf(stream);
        TIFF *handle = pdf.Open(out);
        if (!handle) {
            t2p_error("Can't open output file %s for writing", out);
        } else {
            TIFF *tif = OpenInput(in);
            if (!tif) {
                t2p_error("Can't open input file %s for reading", in);
            } else {
                ok = convert_tiff_to_pdf_handles(tif, pdf, handle, out);
                if (!ok)
                    t2p_error("An error occurred in converting TIFF %s to PDF %s", in, out);
                TIFFClose(tif);
            }
        }
        pdf.Close();
        ok = ok && !pdf.Failed();
    }
    // The PDF counts as written only once it is on disk whole.
    bool flushed = FSYS::Commit(stream);
    bool closed = std::fclose(stream) == 0;
    if (ok && !(flushed && closed)) {
        t2p_error("Error writing to output PDF %s", out);
        ok = false;
    }
    if (ok && !temp.MoveTo(target, true)) {
        t2p_error("Error writing to output PDF %s", out);
        ok = false;
    }
    if (!ok)
        FSYS::Remove(temp.Text());
    LOGIT::Printf("convert_tiff_to_pdf returns %d\n", ok ? 1 : 0);
    return ok ? 1 : 0;
}
