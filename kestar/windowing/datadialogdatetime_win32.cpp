// The date-time picker item.
#include "kestar/windowing/datadialogdatetime.h"

#include <windows.h>
#include <commctrl.h>

#include "kestar/base/osystime.h"
#include "kestar/windowing/control.h"
#include "kestar/windowing/datadialogrules.h"

DATADIALOGDATETIME::DATADIALOGDATETIME(int id, STRING &datum) : DATADIALOGITEM(id, datum) {}

void DATADIALOGDATETIME::Init(HWND dialog)
{
    CONTROL dt(dialog, Id);
    if (!DATADIALOG_REQUIRE(dt.IsValid(), static_cast<const char *>(STRING(Id))))
        return;
    if (pData->IsEmpty() || *pData == "0" || *pData == "-1")
        return;
    OSYS::SYSTIME t = OSYS::TimeToSystemTime(pData->ToInt64());
    SYSTEMTIME st = {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    SendMessageA(dt.hWnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

void DATADIALOGDATETIME::Exit(HWND dialog)
{
    CONTROL dt(dialog, Id);
    if (!dt.IsValid())
        return;
    SYSTEMTIME st = {};
    if (SendMessageA(dt.hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID)
        return;
    OSYS::SYSTIME t = {st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
    int64_t seconds = OSYS::SystemTimeToTime(t);
    if (seconds < 0)
        return;
    *pData = STRING(static_cast<unsigned long long>(seconds));
}
