// The common part of the data-dialog items: the bindings.
#include "kestar/windowing/datadialogitem.h"

#include "kestar/base/logit.h"
#include "kestar/windowing/datadialogrules.h"

DATADIALOGITEM::DATADIALOGITEM(int id, STRING &datum) : Id(id), pData(&datum) {}

void DATADIALOGITEM::WriteRaw4(long long number)
{
    if (pRaw == nullptr)
        return;
    DATADIALOG_REQUIRE(this->pDataLength == 4, static_cast<const char *>(STRING(Id)));
    DATADIALOGRULES::WriteRaw(pRaw, pDataLength, static_cast<uint64_t>(number));
}
