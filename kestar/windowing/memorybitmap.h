// MEMORYBITMAP: an off-screen bitmap in a memory DC for flicker-free painting: draw into GetDC(),
// then blit the whole bitmap to the window.  When the system cannot make a bitmap compatible with
// the window's DC, a DIB section of the screen's bit depth stands in.  Windows only.
#ifndef KESTAR_WINDOWING_MEMORYBITMAP_H
#define KESTAR_WINDOWING_MEMORYBITMAP_H

#include <windows.h>

class MEMORYBITMAP {
public:
    // A bitmap of cx by cy compatible with the window's DC (window null: the screen); cy <= 0
    // takes the window's client size.  Each dimension is at least 1.  Failures are assertion
    // failures and leave GetDC() or GetBitmap() null.
    MEMORYBITMAP(HWND window, int cx, int cy);
    // Puts the replaced bitmap back and deletes the memory DC and the bitmap.
    ~MEMORYBITMAP();
    MEMORYBITMAP(const MEMORYBITMAP &) = delete;
    MEMORYBITMAP &operator=(const MEMORYBITMAP &) = delete;

    // A bitmap compatible with dc (sizes <= 0 become 1), else a DIB section of the reference
    // depth; null when both fail.  The caller owns it.
    static HBITMAP CreateMemoryBitmap(HDC dc, int cx, int cy);
    // The bit depth of the DIB fallback: a 16 x 16 bitmap compatible with "DISPLAY", asked once.
    static int ReferenceBitCount();
    // For tests: makes CreateMemoryBitmap skip the compatible bitmap.
    static void ForceDibFallback(bool on);

    // 1 when a new bitmap of that size replaced the old one; 0 when the size is unchanged or the
    // new bitmap failed (the old one stays).
    int Resize(int cx, int cy);
    // Resize to the client size of window (null: its own).
    int ResizeToWindow(HWND window = nullptr);
    // Copies the whole bitmap to target at x, y.
    bool BitBlt(int x, int y, HDC target);
    bool BlitToWindow(int x, int y, HWND window = nullptr);

    HDC GetDC() const { return hdcMem; }
    HBITMAP GetBitmap() const { return hbmMem; }
    int GetWidth() const { return Width; }
    int GetHeight() const { return Height; }

private:
    HDC hdcMem;     // owned: the memory DC
    HBITMAP hbmMem; // owned: the bitmap selected into it
    HGDIOBJ hbmOld; // the bitmap it replaced (the DC's own), put back at the end
    HWND Window;    // borrowed: the window it belongs to (may be null)
    int Width, Height;
};

#endif
