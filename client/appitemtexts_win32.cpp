// APP: the call item texts in the language library's words (the rules are in ITEMTEXTS).
#include "client/app.h"

#include "client/languagetexts.h"
#include "kestar/base/osystime.h"

namespace {

ITEMTEXTS Texts()
{
    return ITEMTEXTS(LANGUAGETEXTS::Instance());
}

ITEMTEXTS::OPTIONS OptionsOf(HASH &settings, CRITSECT &lock)
{
    CRITSECTHOLD hold(lock);
    return ITEMTEXTS::ReadOptions(settings);
}

} // namespace

STRING APP::GetItemStatusText(HASH &item)
{
    return Texts().StatusText(item);
}

STRING APP::GetItemTimeText(HASH &item)
{
    return ITEMTEXTS::TimeText(item);
}

STRING APP::GetCallerNumberFrontend(HASH &item)
{
    return Texts().CallerNumber(item, OptionsOf(Settings, SettingsLock));
}

STRING APP::GetTargetFrontend(HASH &item)
{
    return ITEMTEXTS::Target(item);
}

STRING APP::GetCallerFrontend(HASH &item)
{
    return Texts().Caller(item, OptionsOf(Settings, SettingsLock));
}

STRING APP::GetCallerFullFrontend(HASH &item)
{
    return Texts().CallerFull(item, OptionsOf(Settings, SettingsLock));
}

STRING APP::GetTransmissionInfoText(HASH &item, const char *templ)
{
    return Texts().TransmissionInfo(item, templ);
}

POPUPTEXT APP::FillPopupString(HASH &item, HASH *caller, HASH *target, DYNARRAY<HASH> &items)
{
    HASH settings;
    {
        CRITSECTHOLD hold(SettingsLock);
        settings = Settings;
    }
    return Texts().FillPopup(settings, item, caller, target, items, OSYS::GetTime());
}
