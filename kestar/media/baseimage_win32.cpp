// Bitmaps of base-form pages for the window code: GetBitmap and GetRotatedBitmap.
#include "kestar/media/baseimage.h"

#include <windows.h>

#include <vector>

#include "kestar/media/baseform.h"
#include "kestar/media/dibrotate.h"
#include "kestar/base/logit.h"

namespace {

// A memory DC compatible with the screen, deleted when the holder goes.
class MEMORYDC {
public:
    MEMORYDC() : hdc(CreateCompatibleDC(nullptr)) {}
    ~MEMORYDC()
    {
        if (hdc)
            DeleteDC(hdc);
    }
    MEMORYDC(const MEMORYDC &) = delete;
    MEMORYDC &operator=(const MEMORYDC &) = delete;
    HDC Get() const { return hdc; }

private:
    HDC hdc; // owned
};

// A bitmap from a packed DIB whose colour table and pixels the caller has checked: `info` is the
// info header followed by its colour table, `pixels` the rows.
HBITMAP MakeBitmap(const unsigned char *info, const unsigned char *pixels, const char *caller)
{
    MEMORYDC dc;
    if (!dc.Get()) {
        LOGIT::Printf("%s CreateCompatibleDC failed: %lu\n", caller, GetLastError());
        return nullptr;
    }
    const BITMAPINFO *bmi = reinterpret_cast<const BITMAPINFO *>(info);
    HBITMAP bitmap = CreateDIBitmap(dc.Get(), &bmi->bmiHeader, CBM_INIT, pixels, bmi, DIB_RGB_COLORS);
    if (!bitmap)
        LOGIT::Printf("%s CreateDIBitmap failed: %lu\n", caller, GetLastError());
    return bitmap;
}

// Bytes of the colour table GDI reads after the info header.
size_t ColourTableBytes(const BASEFORM::PAGE &page)
{
    unsigned long used = BASEFORM::Get32(page.Info + 32);
    size_t entries = used ? used : (page.BitCount <= 8 ? (size_t)1 << page.BitCount : 0);
    return entries * 4;
}

// The current page, checked; false when it is no bitmap GDI can read without going past it.
bool CurrentPage(const BASEIMAGE &image, BASEFORM::PAGE *page, const char *caller)
{
    const unsigned char *data = reinterpret_cast<const unsigned char *>(image.Data.GetBuffer());
    size_t length = image.Data.IsNull() ? 0 : (size_t)image.Data.Length();
    if (!BASEFORM::ReadPage(data, length, (size_t)image.GetPageOffset(), page)) {
        LOGIT::Printf("%s: the page at %d is no valid bitmap\n", caller, (int)image.GetPageOffset());
        return false;
    }
    unsigned long infosize = BASEFORM::Get32(page->Info);
    if (infosize != 40 || page->Info + infosize + ColourTableBytes(*page) > page->Pixels) {
        LOGIT::Printf("%s: the page at %d has no room for its colour table\n", caller,
                      (int)image.GetPageOffset());
        return false;
    }
    return true;
}

} // namespace

HBITMAP__ *BASEIMAGE::GetBitmap() const
{
    BASEFORM::PAGE page;
    if (!CurrentPage(*this, &page, "BASEIMAGE::GetBitmap"))
        return nullptr;
    return MakeBitmap(page.Info, page.Pixels, "BASEIMAGE::GetBitmap");
}

HBITMAP__ *BASEIMAGE::GetRotatedBitmap(int degrees, int *width, int *height) const
{
    BASEFORM::PAGE page;
    if (!CurrentPage(*this, &page, "BASEIMAGE::GetRotatedBitmap"))
        return nullptr;
    // The packed DIB: from the info header to the end of the page.
    const unsigned char *file = page.Info - 14;
    size_t packed = page.Size - 14;
    // A page whose pixels do not follow the colour table directly is packed first.
    std::vector<unsigned char> dib;
    size_t head = 40 + ColourTableBytes(page);
    if (page.Info + head != page.Pixels) {
        dib.assign(page.Info, page.Info + head);
        dib.insert(dib.end(), page.Pixels, file + page.Size);
    } else {
        dib.assign(page.Info, page.Info + packed);
    }
    std::vector<unsigned char> turned;
    int w = 0, h = 0;
    if (!DIBROTATE::Rotate(dib.data(), dib.size(), degrees * 6.283185307 / 360, 0, turned, &w, &h)) {
        LOGIT::Assert(0, "memory", __FILE__, __LINE__, nullptr, 0);
        return nullptr;
    }
    HBITMAP bitmap = MakeBitmap(turned.data(), turned.data() + head, "BASEIMAGE::GetRotatedBitmap");
    if (bitmap) {
        if (width)
            *width = w;
        if (height)
            *height = h;
    }
    return bitmap;
}
