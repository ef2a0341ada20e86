// The spin item: an edit with an up-down control of its own.
#include "kestar/windowing/datadialogspin.h"

#include "kestar/base/logit.h"
#include "kestar/windowing/datadialogrules.h"
#include "kestar/windowing/control.h"
#include "kestar/windowing/updown.h"

#include <commctrl.h>

DATADIALOGSPIN::DATADIALOGSPIN(int id, STRING &datum, int low, int high)
    : DATADIALOGITEM(id, datum), Low(low), High(high)
{
}

DATADIALOGSPIN::~DATADIALOGSPIN()
{
    if (pSpin != nullptr && pSpin->hWnd != nullptr)
        SendMessageA(pSpin->hWnd, UDM_SETBUDDY, 0, 0);
    delete pSpin;
}

void DATADIALOGSPIN::Init(HWND dialog)
{
    CONTROL edit(dialog, Id);
    CONTROL *pEntry = &edit;
    if (!DATADIALOG_REQUIRE(pEntry->IsValid(), static_cast<const char *>(STRING(Id))))
        return;
    if (pSpin == nullptr) {
        HWND parent = dialog;
        int idspin = Id + SPINOFFSET;
        if (!DATADIALOG_REQUIRE(!CONTROL(parent, idspin).IsValid(), static_cast<const char *>(STRING(Id))))
            return;
        pSpin = new UPDOWN(parent, idspin, Id, 0, 0);
    }
    if (Low >= 0 && High >= 0)
        edit.SetNumeric(true);
    pSpin->SetRange(Low, High);
    pSpin->SetPos(static_cast<int>(*pData));
}

void DATADIALOGSPIN::Exit(HWND dialog)
{
    (void)dialog;
    if (pSpin == nullptr || pSpin->hWnd == nullptr)
        return;
    int position = pSpin->GetPos();
    if (pRaw != nullptr)
        WriteRaw4(position);
    else
        *pData = STRING(position);
}
