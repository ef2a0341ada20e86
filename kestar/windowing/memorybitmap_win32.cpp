// The memory bitmap (see memorybitmap.h).
#include "kestar/windowing/memorybitmap.h"

#include "kestar/base/logit.h"

namespace {

// Process-wide, set on first use by the window thread.
int gReferenceBits = 0;
bool gForceDib = false;

// A window's client size, each side at least 1.
SIZE ClientSize(HWND window)
{
    RECT client = {};
    if (window)
        GetClientRect(window, &client);
    SIZE size = {client.right - client.left, client.bottom - client.top};
    if (size.cx < 1)
        size.cx = 1;
    if (size.cy < 1)
        size.cy = 1;
    return size;
}

} // namespace

int MEMORYBITMAP::ReferenceBitCount()
{
    if (gReferenceBits != 0)
        return gReferenceBits;
    int bits = 0;
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP probe = display ? CreateCompatibleBitmap(display, 16, 16) : nullptr;
    if (probe) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        if (GetDIBits(display, probe, 0, 0, nullptr, &info, DIB_RGB_COLORS))
            bits = info.bmiHeader.biBitCount;
    }
    if (probe)
        DeleteObject(probe);
    if (display)
        DeleteDC(display);
    if (!LOGIT::Assert(bits != 0, "ok", __FILE__, __LINE__, nullptr, 0) || bits == 0)
        bits = 24;
    gReferenceBits = bits;
    LOGIT::Printf("MEMORYBITMAP::CreateMemoryBitmap reference bitmapinfo has %d bits\n", bits);
    return bits;
}

void MEMORYBITMAP::ForceDibFallback(bool on)
{
    gForceDib = on;
}

HBITMAP MEMORYBITMAP::CreateMemoryBitmap(HDC dc, int cx, int cy)
{
    if (cx <= 0)
        cx = 1;
    if (cy <= 0)
        cy = 1;
    HBITMAP bitmap = gForceDib ? nullptr : CreateCompatibleBitmap(dc, cx, cy);
    if (bitmap)
        return bitmap;
    LOGIT::Printf("MEMORYBITMAP::CreateMemoryBitmap hbm CreateCompatibleBitmap %d/%d failed, fallback to DIBitmap\n",
                  cx, cy);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(ReferenceBitCount());
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    LOGIT::Printf("MEMORYBITMAP::CreateMemoryBitmap fallback to DIBitmap returns %p\n", static_cast<void *>(bitmap));
    LOGIT::Assert(bitmap != nullptr, "hbm", __FILE__, __LINE__, nullptr, 0);
    return bitmap;
}

MEMORYBITMAP::MEMORYBITMAP(HWND window, int cx, int cy)
    : hdcMem(nullptr), hbmMem(nullptr), hbmOld(nullptr), Window(window), Width(0), Height(0)
{
    LOGIT::Printf("MEMORYBITMAP::MEMORYBITMAP cx= %d, cy= %d\n", cx, cy);
    if (cy <= 0) {
        SIZE client = ClientSize(window);
        cx = client.cx;
        cy = client.cy;
    }
    if (cx < 1)
        cx = 1;
    if (cy < 1)
        cy = 1;
    LOGIT::Printf("MEMORYBITMAP::MEMORYBITMAP size.cx= %d, size.cy= %d\n", cx, cy);
    HDC dc = ::GetDC(window);
    if (!LOGIT::Assert(dc != nullptr, "hdc", __FILE__, __LINE__, nullptr, 0) || dc == nullptr)
        return;
    hdcMem = CreateCompatibleDC(dc);
    if (LOGIT::Assert(hdcMem != nullptr, "this->hdcMem", __FILE__, __LINE__, nullptr, 0) && hdcMem) {
        hbmMem = CreateMemoryBitmap(dc, cx, cy);
        LOGIT::Printf("MEMORYBITMAP::MEMORYBITMAP this->hbmMem= %p\n", static_cast<void *>(hbmMem));
        if (LOGIT::Assert(hbmMem != nullptr, "this->hbmMem", __FILE__, __LINE__, nullptr, 0) && hbmMem) {
            hbmOld = SelectObject(hdcMem, hbmMem);
            LOGIT::Printf("MEMORYBITMAP::MEMORYBITMAP this->hbmOld= %p\n", static_cast<void *>(hbmOld));
            Width = cx;
            Height = cy;
        }
    }
    ::ReleaseDC(window, dc);
    LOGIT::Printf("MEMORYBITMAP::MEMORYBITMAP finished, hdc= %p, hbm= %p\n", static_cast<void *>(hdcMem),
                  static_cast<void *>(hbmMem));
}

MEMORYBITMAP::~MEMORYBITMAP()
{
    if (hdcMem && hbmOld)
        SelectObject(hdcMem, hbmOld);
    if (hdcMem)
        DeleteDC(hdcMem);
    if (hbmMem)
        DeleteObject(hbmMem);
}

int MEMORYBITMAP::Resize(int cx, int cy)
{
    if (cx < 1)
        cx = 1;
    if (cy < 1)
        cy = 1;
    if (cx == Width && cy == Height)
        return 0;
    LOGIT::Printf("MEMORYBITMAP::Resize will change from cx= %d, cy= %d to cx= %d, cy= %d\n", Width, Height, cx, cy);
    if (hdcMem == nullptr)
        return 0;
    // Compatible with the window's DC: one compatible with the memory DC would be monochrome.
    HDC dc = ::GetDC(Window);
    HBITMAP bitmap = dc ? CreateMemoryBitmap(dc, cx, cy) : nullptr;
    if (dc)
        ::ReleaseDC(Window, dc);
    LOGIT::Printf("MEMORYBITMAP::Resize hbmmem= %p\n", static_cast<void *>(bitmap));
    int didIt = 0;
    if (LOGIT::Assert(bitmap != nullptr, "hbmmem", __FILE__, __LINE__, nullptr, 0) && bitmap) {
        HGDIOBJ old = SelectObject(hdcMem, bitmap);
        if (hbmOld == nullptr)
            hbmOld = old;
        else
            LOGIT::Assert(old == hbmMem, "hbmold==this->hbmMem", __FILE__, __LINE__, nullptr, 0);
        if (hbmMem)
            DeleteObject(hbmMem);
        hbmMem = bitmap;
        Width = cx;
        Height = cy;
        didIt = 1;
    }
    LOGIT::Printf("MEMORYBITMAP::Resize done, didit= %d, cx= %d, cy= %d\n", didIt, Width, Height);
    return didIt;
}

int MEMORYBITMAP::ResizeToWindow(HWND window)
{
    SIZE size = ClientSize(window ? window : Window);
    return Resize(size.cx, size.cy);
}

bool MEMORYBITMAP::BitBlt(int x, int y, HDC target)
{
    if (hdcMem == nullptr || target == nullptr)
        return false;
    return ::BitBlt(target, x, y, Width, Height, hdcMem, 0, 0, SRCCOPY) != 0;
}

bool MEMORYBITMAP::BlitToWindow(int x, int y, HWND window)
{
    HWND target = window ? window : Window;
    HDC dc = ::GetDC(target);
    if (dc == nullptr)
        return false;
    bool ok = BitBlt(x, y, dc);
    ::ReleaseDC(target, dc);
    return ok;
}
