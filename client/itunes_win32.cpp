// The music player's volume through its automation server (see itunes.h).
#include <windows.h>
#include <oleauto.h>

#include "client/itunes.h"

#include "client/clienttiming.h"
#include "kestar/base/logit.h"

namespace {

// The player's application class and its automation interface.
const CLSID kApplicationClass = {0xDC0C2640, 0x1415, 0x4644, {0x87, 0x5C, 0x6F, 0x4D, 0x76, 0x98, 0x39, 0xBA}};
const IID kApplicationInterface = {0x9DD6680B, 0x3EDC, 0x40DB, {0xA7, 0x71, 0xE6, 0xFE, 0x48, 0x32, 0xE3, 0x4A}};

const int kStep = 5;

void Pause(CLIENTTIMING::WAIT wait)
{
    const int ms = CLIENTTIMING::Get(wait);
    if (ms > 0)
        Sleep(static_cast<DWORD>(ms));
}

} // namespace

ITUNES::ITUNES() : Player(nullptr), ComEntered(false) {}

ITUNES::~ITUNES()
{
    DisconnectFromITunes();
}

bool ITUNES::ConnectToITunes()
{
    LOGIT::Printf("ITUNES::ConnectToITunes\n");
    DisconnectFromITunes();
    // S_FALSE (entered already) is undone as well; another apartment model is left alone.
    ComEntered = SUCCEEDED(CoInitialize(nullptr));
    HRESULT hr = S_FALSE;
    if (FindWindowA("iTunes", nullptr)) {
        void *player = nullptr;
        hr = CoCreateInstance(kApplicationClass, nullptr, CLSCTX_LOCAL_SERVER, kApplicationInterface, &player);
        if (SUCCEEDED(hr))
            Player = static_cast<IDispatch *>(player);
        else
            LOGIT::Printf("ITUNES::ConnectToITunes CoCreateInstance failed: 0x%08lx\n", static_cast<unsigned long>(hr));
    }
    const bool connected = Player != nullptr;
    LOGIT::Printf("ITUNES::ConnectToITunes finished, rc=%d\n", connected ? 1 : 0);
    if (!connected && ComEntered) {
        CoUninitialize();
        ComEntered = false;
    }
    return connected;
}

int ITUNES::DisconnectFromITunes()
{
    if (Player) {
        Player->Release();
        Player = nullptr;
    }
    if (ComEntered) {
        CoUninitialize();
        ComEntered = false;
    }
    return 1;
}

bool ITUNES::Id(const wchar_t *name, long &id)
{
    if (!Player)
        return false;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    DISPID dispid = DISPID_UNKNOWN;
    const HRESULT hr = Player->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
    if (FAILED(hr)) {
        LOGIT::Printf("ITUNES GetIDsOfNames(%ls) failed: 0x%08lx\n", name, static_cast<unsigned long>(hr));
        return false;
    }
    id = dispid;
    return true;
}

bool ITUNES::GetValue(const wchar_t *name, long &value)
{
    long id = 0;
    if (!Id(name, id))
        return false;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = Player->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                                nullptr);
    if (SUCCEEDED(hr))
        hr = VariantChangeType(&result, &result, 0, VT_I4);
    if (FAILED(hr)) {
        LOGIT::Printf("ITUNES get %ls failed: 0x%08lx\n", name, static_cast<unsigned long>(hr));
        VariantClear(&result);
        return false;
    }
    value = V_I4(&result);
    VariantClear(&result);
    return true;
}

bool ITUNES::SetValue(const wchar_t *name, long value)
{
    long id = 0;
    if (!Id(name, id))
        return false;
    VARIANT argument;
    VariantInit(&argument);
    V_VT(&argument) = VT_I4;
    V_I4(&argument) = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&argument, &named, 1, 1};
    const HRESULT hr = Player->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                                      nullptr, nullptr);
    if (FAILED(hr)) {
        LOGIT::Printf("ITUNES set %ls=%ld failed: 0x%08lx\n", name, value, static_cast<unsigned long>(hr));
        return false;
    }
    return true;
}

bool ITUNES::Call(const wchar_t *name)
{
    long id = 0;
    if (!Id(name, id))
        return false;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    const HRESULT hr = Player->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr,
                                      nullptr);
    if (FAILED(hr)) {
        LOGIT::Printf("ITUNES %ls failed: 0x%08lx\n", name, static_cast<unsigned long>(hr));
        return false;
    }
    return true;
}

bool ITUNES::MuteITunesVolume(int pause, int percent, int &previousVolume)
{
    LOGIT::Printf("ITUNES::MuteITunesVolume\n");
    bool lowered = false;
    long state = STOPPED;
    if (Player && GetValue(L"PlayerState", state) && state == PLAYING) {
        long volume = 0;
        if (GetValue(L"SoundVolume", volume)) {
            previousVolume = static_cast<int>(volume);
            if (volume >= 1) {
                // A level outside 0..100 would raise the volume during a call.
                const long level = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
                const long target = level * volume / 100;
                LOGIT::Printf("ITUNES::MuteITunesVolume mutedvol=%ld\n", target);
                for (long v = volume; v >= target; v -= kStep) {
                    SetValue(L"SoundVolume", v);
                    Pause(CLIENTTIMING::ITUNESSTEP);
                }
                lowered = SetValue(L"SoundVolume", target);
            }
        }
        if (pause)
            Call(L"Pause");
    }
    LOGIT::Printf("ITUNES::MuteITunesVolume finished, unmutedvol=%d\n", previousVolume);
    return lowered;
}

bool ITUNES::RestoreITunesVolume(int play, int volume)
{
    LOGIT::Printf("ITUNES::RestoreITunesVolume\n");
    const bool connected = Player != nullptr;
    if (connected) {
        long state = STOPPED;
        if (play && GetValue(L"PlayerState", state) && state == STOPPED) {
            Call(L"Play");
            Pause(CLIENTTIMING::ITUNESPLAY);
        }
        long current = 0;
        if (GetValue(L"SoundVolume", current)) {
            for (long v = current; v <= volume; v += kStep) {
                SetValue(L"SoundVolume", v);
                Pause(CLIENTTIMING::ITUNESSTEP);
            }
        }
        SetValue(L"SoundVolume", volume);
    }
    LOGIT::Printf("ITUNES::RestoreITunesVolume finished, rc=%d\n", connected ? 1 : 0);
    return connected;
}
