// TIFF fax files as images (see tifimage.h).
#include "kestar/media/tifimage.h"

#include <vector>

#include "kestar/base/logit.h"
#include "kestar/media/tiffpages.h"
#include "kestar/media/tiffpdf.h"

#define IMAGE_ASSERT_FALSE(info) LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, (info), 0)

TIFIMAGE::TIFIMAGE(const char *format, STRING_SIZE_T blocksize) : BASEIMAGE(format, blocksize)
{
}

TIFIMAGE::~TIFIMAGE() = default;

bool TIFIMAGE::Load(const char *filename)
{
    LOGIT::Printf("TIFIMAGE::Load filename=%s\n", STR::SafeText(filename, "TIFIMAGE::Load"));
    std::vector<unsigned char> base;
    // A file that gives no page leaves the image as it was.
    if (!TIFFPAGES::Load(filename, base))
        return false;
    Data.Make((STRING_SIZE_T)base.size(), base.data());
    PageOffset = 0;
    // Saving what was loaded writes every page, not only the first.
    PageCount = BASEIMAGE::GetPageCount();
    return true;
}

bool TIFIMAGE::Save(const char *filename) const
{
    LOGIT::Printf("TIFIMAGE::Save filename=%s\n", STR::SafeText(filename, "TIFIMAGE::Save"));
    return TIFFPAGES::Save(filename, reinterpret_cast<const unsigned char *>(Data.GetBuffer()),
                           Data.IsNull() ? 0 : (size_t)Data.Length(), PageCount);
}

STRING TIFIMAGE::GetExtension() const
{
    return STRING("tif");
}

bool TIFIMAGE::FromBase(const BASEIMAGE &base)
{
    Format = "IMAGE TIF:";
    Data = base.Data;
    PageOffset = 0;
    PageCount = base.GetPageCount();
    return true;
}

BASEIMAGE *TIFIMAGE::ToBase() const
{
    BASEIMAGE *copy = new BASEIMAGE("IMAGE BASE:", kBlockSize);
    copy->Data.AppendBinary(Data);
    return copy;
}

int TIFIMAGE::GetWidth() const
{
    IMAGE_ASSERT_FALSE("TIFIMAGE::GetWidth");
    return 0;
}

int TIFIMAGE::GetHeight() const
{
    IMAGE_ASSERT_FALSE("TIFIMAGE::GetHeight");
    return 0;
}

HBITMAP__ *TIFIMAGE::GetBitmap() const
{
    IMAGE_ASSERT_FALSE("TIFIMAGE::GetBitmap");
    return nullptr;
}

int TIFIMAGE::GetPageCount() const
{
    IMAGE_ASSERT_FALSE("TIFIMAGE::GetPageCount");
    return 0;
}

bool TIFIMAGE::SelectPage(int page)
{
    IMAGE_ASSERT_FALSE("TIFIMAGE::SelectPage");
    (void)page;
    return false;
}

int TIFIMAGE::Convert(const char *input, const char *output)
{
    LOGIT::Printf("TIFIMAGE::Convert TIF2PDF\n");
    STRING in(input);
    ORVAK_ASSERT(in.Right(3)=="tif" || in.Right(3)=="tmp");
    STRING out;
    if (output) {
        out = output;
    } else {
        out = in.Left(in.Length() >= 3 ? in.Length() - 3 : 0);
        out += "pdf";
    }
    return convert_tiff_to_pdf(in, out);
}
