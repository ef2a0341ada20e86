// The radio button item.
#include "kestar/windowing/datadialogradio.h"

#include "kestar/base/logit.h"
#include "kestar/windowing/datadialogrules.h"
#include "kestar/windowing/control.h"

DATADIALOGRADIO::DATADIALOGRADIO(int id, STRING &datum, int value) : DATADIALOGITEM(id, datum), Value(value) {}

void DATADIALOGRADIO::Init(HWND dialog)
{
    CONTROL radio(dialog, Id);
    CONTROL *pRadio = &radio;
    if (!DATADIALOG_REQUIRE(pRadio->IsValid(), static_cast<const char *>(STRING(Id))))
        return;
    if (static_cast<int>(*pData) == Value)
        radio.SetCheck(1);
}

void DATADIALOGRADIO::Exit(HWND dialog)
{
    CONTROL radio(dialog, Id);
    if (!radio.IsValid() || radio.GetCheck() == 0)
        return;
    if (pRaw != nullptr)
        WriteRaw4(Value);
    else
        *pData = STRING(Value);
}
