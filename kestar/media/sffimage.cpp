// SFF fax files as images (see sffimage.h).
#include "kestar/media/sffimage.h"

#include <vector>

#include "kestar/base/logit.h"
#include "kestar/media/sffcodec.h"

#define IMAGE_ASSERT_FALSE(info) LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, (info), 0)

SFFIMAGE::SFFIMAGE(const char *format, STRING_SIZE_T blocksize) : BASEIMAGE(format, blocksize)
{
}

SFFIMAGE::~SFFIMAGE() = default;

STRING SFFIMAGE::GetExtension() const
{
    return STRING("sff");
}

bool SFFIMAGE::FromBase(const BASEIMAGE &base)
{
    std::vector<unsigned char> sff;
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(base.Data.GetBuffer());
    SFFCODEC::Bmp2Sff(bytes, base.Data.IsNull() ? 0 : (size_t)base.Data.Length(), sff);
    Format = "IMAGE SFF:";
    Data.Make((STRING_SIZE_T)sff.size(), sff.data());
    PageOffset = 0;
    return true;
}

BASEIMAGE *SFFIMAGE::ToBase() const
{
    BASEIMAGE *base = new BASEIMAGE("IMAGE BASE:", kBaseBlockSize);
    LOGIT::Assert(Data.Length() > 0 ? 1 : 0, "sffdata", __FILE__, __LINE__, nullptr, 0);
    std::vector<unsigned char> pages;
    SFFCODEC::Sff2Bmp(reinterpret_cast<const unsigned char *>(Data.GetBuffer()),
                      Data.IsNull() ? 0 : (size_t)Data.Length(), pages);
    if (!pages.empty())
        base->Data.Append(pages.data(), (STRING_SIZE_T)pages.size());
    return base;
}

int SFFIMAGE::GetWidth() const
{
    IMAGE_ASSERT_FALSE("SFFIMAGE::GetWidth");
    return 0;
}

int SFFIMAGE::GetHeight() const
{
    IMAGE_ASSERT_FALSE("SFFIMAGE::GetHeight");
    return 0;
}

int SFFIMAGE::GetPageCount() const
{
    IMAGE_ASSERT_FALSE("SFFIMAGE::GetPageCount");
    return 0;
}

bool SFFIMAGE::SelectPage(int page)
{
    IMAGE_ASSERT_FALSE("SFFIMAGE::SelectPage");
    (void)page;
    return false;
}
