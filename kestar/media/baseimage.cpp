// The base form of fax images: file access and the page walk (the bitmaps are in
// baseimage_win32.cpp).
#include "kestar/media/baseimage.h"

#include "kestar/media/baseform.h"
#include "kestar/base/logit.h"

// Reports a state that must not happen, as the condition "FALSE" with some information.
#define IMAGE_ASSERT_FALSE(info) LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, (info), 0)

namespace {

const unsigned char *Bytes(const BINARY &data)
{
    return reinterpret_cast<const unsigned char *>(data.GetBuffer());
}

size_t Length(const BINARY &data)
{
    return data.IsNull() ? 0 : (size_t)data.Length();
}

} // namespace

BASEIMAGE::BASEIMAGE(const char *format, STRING_SIZE_T blocksize) : MEDIAOBJECT(format, blocksize)
{
}

BASEIMAGE::BASEIMAGE(const void *bytes, STRING_SIZE_T length, const char *format, STRING_SIZE_T blocksize)
    : MEDIAOBJECT(bytes, length, format, blocksize)
{
}

BASEIMAGE::~BASEIMAGE() = default;

bool BASEIMAGE::Load(const char *filename)
{
    LOGIT::Printf("BASEIMAGE::Load filename=%s\n", STR::SafeText(filename, "BASEIMAGE::Load"));
    // Read into a buffer of its own: a read that fails half-way must not leave half a file.
    BINARY file;
    if (!file.Load(filename, "rb"))
        return false;
    Data.AppendBinary(file);
    return true;
}

bool BASEIMAGE::Save(const char *filename) const
{
    LOGIT::Printf("BASEIMAGE::Save filename=%s\n", STR::SafeText(filename, "BASEIMAGE::Save"));
    return Data.Save(filename, "wb");
}

STRING BASEIMAGE::GetExtension() const
{
    IMAGE_ASSERT_FALSE(STR::SafeText(Format, "BASEIMAGE::GetExtension"));
    STRING none;
    none.SetNotNull();
    return none;
}

bool BASEIMAGE::FromBase(const BASEIMAGE &base)
{
    Assign(base);
    return true;
}

BASEIMAGE *BASEIMAGE::ToBase() const
{
    BASEIMAGE *copy = new BASEIMAGE(Format, kBlockSize);
    copy->Data.AppendBinary(Data);
    return copy;
}

int BASEIMAGE::GetWidth() const
{
    ORVAK_ASSERT(this->Format.Word(1).Token(0,":")=="BASE");
    size_t length = Length(Data);
    size_t at = (size_t)PageOffset;
    if (!BASEFORM::PageSize(Bytes(Data), length, at))
        return 0;
    return (int)BASEFORM::Get32(Bytes(Data) + at + 14 + 4);
}

int BASEIMAGE::GetHeight() const
{
    ORVAK_ASSERT(this->Format.Word(1).Token(0,":")=="BASE");
    size_t length = Length(Data);
    size_t at = (size_t)PageOffset;
    if (!BASEFORM::PageSize(Bytes(Data), length, at))
        return 0;
    return (int)BASEFORM::Get32(Bytes(Data) + at + 14 + 8);
}

int BASEIMAGE::GetPageCount() const
{
    if (Data.IsNull())
        return 0;
    return BASEFORM::CountPages(Bytes(Data), Length(Data));
}

bool BASEIMAGE::SelectPage(int page)
{
    size_t offset = 0;
    if (!BASEFORM::FindPage(Bytes(Data), Length(Data), page, &offset)) {
        LOGIT::Printf("BASEIMAGE::SelectPage %d: no such page (%d pages)\n", page, GetPageCount());
        return false;
    }
    PageOffset = (STRING_SIZE_T)offset;
    return true;
}
