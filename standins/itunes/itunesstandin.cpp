// Stand-in of the music player's automation server for the tests: a local COM server that shows
// a hidden top-level window of the class "iTunes" and registers the player's application class,
// whose object answers IDispatch by name ("PlayerState", "SoundVolume" read and set, "Pause",
// "Play").  Every volume set, pause and play is appended to a log file with the milliseconds since
// the start, so that a test can read the fade steps.
//
//   itunesstandin.exe [/STATE:n] [/VOLUME:n] [/LOG:file]   serves until its window is closed
//   itunesstandin.exe /REGSERVER | /UNREGSERVER             (un)registers the class in the prefix
//
// Registration: the class's LocalServer32 is this program; the automation interface is marshalled
// as a dispatch interface through the system's IDispatch proxy (PSDispatch).  Wine's proxy wants a
// type library for any interface id but IDispatch's own, so /REGSERVER also writes a small one of
// ours (one dispatch interface, no members) next to the program and registers it.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const CLSID kAppClass = {0xDC0C2640, 0x1415, 0x4644, {0x87, 0x5C, 0x6F, 0x4D, 0x76, 0x98, 0x39, 0xBA}};
const IID kAppInterface = {0x9DD6680B, 0x3EDC, 0x40DB, {0xA7, 0x71, 0xE6, 0xFE, 0x48, 0x32, 0xE3, 0x4A}};
// Our own library id for the small type library of the dispatch interface.
const GUID kStandinLibrary = {0x5b1f7c2e, 0x8d0a, 0x4e39, {0x9c, 0x61, 0x2f, 0x44, 0x0e, 0x7a, 0x13, 0xd5}};
const char *const kAppClassText = "{DC0C2640-1415-4644-875C-6F4D769839BA}";
const char *const kAppInterfaceText = "{9DD6680B-3EDC-40DB-A771-E6FE4832E34A}";
const char *const kPSDispatchText = "{00020420-0000-0000-C000-000000000046}";

const SYSKIND kSysKind = sizeof(void *) == 8 ? SYS_WIN64 : SYS_WIN32;

enum { DISPID_PLAYERSTATE = 1, DISPID_SOUNDVOLUME, DISPID_PAUSE, DISPID_PLAY };

LONG gPlayerState = 1;
LONG gVolume = 100;
std::string gLogFile;
DWORD gStart = 0;
LONG gObjects = 0;

void Log(const char *format, long value)
{
    if (gLogFile.empty())
        return;
    FILE *f = std::fopen(gLogFile.c_str(), "a");
    if (!f)
        return;
    std::fprintf(f, "%lu ", static_cast<unsigned long>(GetTickCount() - gStart));
    std::fprintf(f, format, value);
    std::fputc('\n', f);
    std::fclose(f);
}

class PLAYER : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kAppInterface)) {
            *out = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&Refs)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&Refs);
        if (left == 0) {
            InterlockedDecrement(&gObjects);
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override
    {
        if (count)
            *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids) override
    {
        static const struct {
            const wchar_t *name;
            DISPID id;
        } table[] = {{L"PlayerState", DISPID_PLAYERSTATE}, {L"SoundVolume", DISPID_SOUNDVOLUME},
                     {L"Pause", DISPID_PAUSE}, {L"Play", DISPID_PLAY}};
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (const auto &entry : table)
                if (i == 0 && _wcsicmp(names[i], entry.name) == 0)
                    ids[i] = entry.id;
            if (ids[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
                                     EXCEPINFO *, UINT *) override
    {
        switch (id) {
        case DISPID_PLAYERSTATE:
            if (!(flags & DISPATCH_PROPERTYGET) || !result)
                return DISP_E_MEMBERNOTFOUND;
            VariantInit(result);
            V_VT(result) = VT_I4;
            V_I4(result) = gPlayerState;
            return S_OK;
        case DISPID_SOUNDVOLUME:
            if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
                if (!params || params->cArgs != 1)
                    return DISP_E_BADPARAMCOUNT;
                VARIANT value;
                VariantInit(&value);
                if (FAILED(VariantChangeType(&value, &params->rgvarg[0], 0, VT_I4)))
                    return DISP_E_TYPEMISMATCH;
                const LONG volume = V_I4(&value);
                if (volume < 0 || volume > 100)
                    return E_INVALIDARG;
                gVolume = volume;
                Log("SoundVolume %ld", volume);
                return S_OK;
            }
            if (!result)
                return DISP_E_PARAMNOTOPTIONAL;
            VariantInit(result);
            V_VT(result) = VT_I4;
            V_I4(result) = gVolume;
            return S_OK;
        case DISPID_PAUSE:
            gPlayerState = 0;
            Log("Pause %ld", 0);
            return S_OK;
        case DISPID_PLAY:
            gPlayerState = 1;
            Log("Play %ld", 1);
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    LONG Refs = 1;
};

class FACTORY : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory *>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factory lives as long as the program.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        PLAYER *player = new PLAYER;
        InterlockedIncrement(&gObjects);
        const HRESULT hr = player->QueryInterface(iid, out);
        player->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

bool SetKey(HKEY root, const std::string &path, const char *name, const std::string &value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

std::string ProgramPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// Writes the type library of the dispatch interface beside the program; its path, or empty.
std::wstring WriteTypeLibrary()
{
    std::string path = ProgramPath();
    path = path.substr(0, path.find_last_of('\\') + 1) + "itunesstandin.tlb";
    std::wstring wide(path.begin(), path.end());
    ICreateTypeLib2 *library = nullptr;
    if (FAILED(CreateTypeLib2(kSysKind, wide.c_str(), &library)))
        return L"";
    library->SetGuid(kStandinLibrary);
    library->SetName(const_cast<LPOLESTR>(L"iTunesStandin"));
    library->SetVersion(1, 0);
    library->SetLcid(0);
    ICreateTypeInfo *info = nullptr;
    bool ok = false;
    if (SUCCEEDED(library->CreateTypeInfo(const_cast<LPOLESTR>(L"IiTunes"), TKIND_DISPATCH, &info))) {
        info->SetGuid(kAppInterface);
        ITypeLib *stdole = nullptr;
        if (SUCCEEDED(LoadRegTypeLib(IID_StdOle, 2, 0, 0, &stdole))) {
            ITypeInfo *dispatch = nullptr;
            if (SUCCEEDED(stdole->GetTypeInfoOfGuid(IID_IDispatch, &dispatch))) {
                HREFTYPE ref = 0;
                if (SUCCEEDED(info->AddRefTypeInfo(dispatch, &ref)) && SUCCEEDED(info->AddImplType(0, ref)))
                    ok = SUCCEEDED(info->LayOut());
                dispatch->Release();
            }
            stdole->Release();
        }
        info->Release();
    }
    ok = ok && SUCCEEDED(library->SaveAllChanges());
    library->Release();
    return ok ? wide : L"";
}

int Register(bool on)
{
    // Wine's COM reads the machine's classes; Windows would take the user's as well.
    const HKEY root = HKEY_LOCAL_MACHINE;
    const std::string classKey = std::string("Software\\Classes\\CLSID\\") + kAppClassText;
    const std::string interfaceKey = std::string("Software\\Classes\\Interface\\") + kAppInterfaceText;
    if (!on) {
        RegDeleteTreeA(root, classKey.c_str());
        RegDeleteTreeA(root, interfaceKey.c_str());
        UnRegisterTypeLib(kStandinLibrary, 1, 0, 0, kSysKind);
        std::printf("UNREGISTERED\n");
        return 0;
    }
    bool ok = SetKey(root, classKey, nullptr, "iTunes Application (stand-in)") &&
              SetKey(root, classKey + "\\LocalServer32", nullptr, "\"" + ProgramPath() + "\"") &&
              SetKey(root, interfaceKey, nullptr, "IiTunes") &&
              SetKey(root, interfaceKey + "\\ProxyStubClsid32", nullptr, kPSDispatchText) &&
              SetKey(root, interfaceKey + "\\ProxyStubClsid", nullptr, kPSDispatchText);
    const std::wstring tlb = WriteTypeLibrary();
    ITypeLib *library = nullptr;
    if (ok && !tlb.empty() && SUCCEEDED(LoadTypeLibEx(tlb.c_str(), REGKIND_NONE, &library))) {
        ok = SUCCEEDED(RegisterTypeLib(library, const_cast<LPOLESTR>(tlb.c_str()), nullptr));
        library->Release();
    } else {
        ok = false;
    }
    // RegisterTypeLib points the interface at the type library's marshaller; ours is PSDispatch.
    ok = ok && SetKey(root, interfaceKey + "\\ProxyStubClsid32", nullptr, kPSDispatchText);
    std::printf(ok ? "REGISTERED\n" : "REGISTRATION FAILED\n");
    return ok ? 0 : 1;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The value of "/NAME:value" in argument, or null.
const char *SwitchValue(const char *argument, const char *name)
{
    const size_t n = std::strlen(name);
    if ((argument[0] == '/' || argument[0] == '-') && _strnicmp(argument + 1, name, n) == 0 && argument[1 + n] == ':')
        return argument + 2 + n;
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    gStart = GetTickCount();
    for (int i = 1; i < argc; ++i) {
        const char *value = nullptr;
        if (_stricmp(argv[i], "/REGSERVER") == 0 || _stricmp(argv[i], "/UNREGSERVER") == 0) {
            CoInitialize(nullptr);
            const int rc = Register(_stricmp(argv[i], "/REGSERVER") == 0);
            CoUninitialize();
            return rc;
        }
        if ((value = SwitchValue(argv[i], "STATE")))
            gPlayerState = std::atol(value);
        else if ((value = SwitchValue(argv[i], "VOLUME")))
            gVolume = std::atol(value);
        else if ((value = SwitchValue(argv[i], "LOG")))
            gLogFile = value;
    }
    if (FAILED(CoInitialize(nullptr)))
        return 2;
    static FACTORY factory;
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(kAppClass, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie))) {
        std::printf("CoRegisterClassObject failed\n");
        CoUninitialize();
        return 3;
    }
    // The window comes last: a client that sees it can create the object.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "iTunes";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("iTunes", "iTunes", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                wc.hInstance, nullptr);
    std::printf(window ? "READY\n" : "NO WINDOW\n");
    std::fflush(stdout);
    MSG msg;
    while (window && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    CoRevokeClassObject(cookie);
    CoUninitialize();
    return 0;
}
