// The check box item: a number or one of its bits.
#include "kestar/windowing/datadialogcheck.h"

#include "kestar/base/logit.h"
#include "kestar/windowing/control.h"
#include "kestar/windowing/datadialogrules.h"

DATADIALOGCHECK::DATADIALOGCHECK(int id, STRING &datum, int bit) : DATADIALOGITEM(id, datum), Bit(bit) {}

void DATADIALOGCHECK::Init(HWND dialog)
{
    CONTROL check(dialog, Id);
    CONTROL *pCheck = &check;
    if (!DATADIALOG_REQUIRE(pCheck->IsValid(), static_cast<const char *>(STRING(Id))))
        return;
    uint64_t number = static_cast<uint64_t>(pData->ToInt64());
    check.SetCheck(DATADIALOGRULES::CheckShown(number, Bit));
}

void DATADIALOGCHECK::Exit(HWND dialog)
{
    CONTROL check(dialog, Id);
    if (!check.IsValid())
        return;
    int state = check.GetCheck();
    if (pRaw != nullptr && pDataLength > 0) {
        uint64_t number = DATADIALOGRULES::ReadRaw(pRaw, pDataLength);
        // An 8-byte variable keeps its high half 0.
        uint64_t stored = DATADIALOGRULES::CheckStored(number, Bit, state);
        if (pDataLength == 8)
            stored &= 0xFFFFFFFFull;
        DATADIALOGRULES::WriteRaw(pRaw, pDataLength, stored);
        return;
    }
    uint64_t number = static_cast<uint64_t>(pData->ToInt64());
    *pData = STRING(static_cast<long long>(DATADIALOGRULES::CheckStored(number, Bit, state)));
}
