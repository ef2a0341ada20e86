// DATADIALOGITEM: one control of a data-bound dialog bound to one datum of the caller, a STRING
// that the caller owns.  Init copies the datum into the control, Exit copies the control back.
// A wide binding (a WSTRING) or a raw binding (a plain variable or character buffer) may be
// attached; Init always reads the STRING.  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGITEM_H
#define KESTAR_WINDOWING_DATADIALOGITEM_H

#include "kestar/windowing/window.h"

#include "kestar/base/string.h"
#include "kestar/base/wstring.h"

class DATADIALOGITEM {
public:
    // datum: borrowed, must outlive the item.
    DATADIALOGITEM(int id, STRING &datum);
    DATADIALOGITEM(const DATADIALOGITEM &) = delete;
    DATADIALOGITEM &operator=(const DATADIALOGITEM &) = delete;

    // Slot 0: the datum into the control of dialog.
    virtual void Init(HWND dialog) = 0;
    // Slot 1: the control into the datum.
    virtual void Exit(HWND dialog) = 0;
    // Slot 2.
    virtual ~DATADIALOGITEM() = default;
    // A press of the button with the item's id (push items only; the others ignore it).
    virtual void Push(HWND dialog) { (void)dialog; }

    // The caller's WSTRING that Exit fills instead of the datum (entry and push items); borrowed.
    void SetWideBinding(WSTRING *wide) { pWide = wide; }
    // A plain variable (1, 4 or 8 bytes) or character buffer (its size in characters) that Exit
    // writes; borrowed.  Never more than length bytes (characters) are written.
    void SetRawBinding(void *variable, int length)
    {
        pRaw = variable;
        pDataLength = variable != nullptr ? length : 0;
    }
    int GetId() const { return Id; }
    // Points the item at another datum (the nested dialog's working copies).
    void Rebind(STRING &datum) { pData = &datum; }
    STRING *GetDatum() const { return pData; }

protected:
    // Writes a number into the raw binding that must be 4 bytes long: another length is an
    // assertion failure and gets at most its own length.
    void WriteRaw4(long long number);

    int Id;
    STRING Text;   // working copies of the push items
    WSTRING WText;
    STRING *pData;          // borrowed
    WSTRING *pWide = nullptr; // borrowed, optional
    void *pRaw = nullptr;     // borrowed, optional
    int pDataLength = 0;
};

#endif
