// The stand-in engine's in-process server: one class per ProgID ("DAO.DBEngine.36",
// "DAO.DBEngine.120"), each making a DBEngine object, and its own registration.
#include <windows.h>
// after windows.h
#include <olectl.h>

#include <string>

#include "dao_objects.h"

namespace {

HMODULE thisModule = nullptr;
std::atomic<long> locks{0};

// Identifiers of the stand-in's own classes (the ProgIDs are what the reader asks for).
const CLSID kEngine36 = {
    0x6b1e3f52, 0x8c1d, 0x4c3a, {0x9e, 0x51, 0x7a, 0x2d, 0x0c, 0x4b, 0x36, 0x01}};
const CLSID kEngine120 = {
    0x6b1e3f52, 0x8c1d, 0x4c3a, {0x9e, 0x51, 0x7a, 0x2d, 0x0c, 0x4b, 0x36, 0x12}};

class EngineFactory : public IClassFactory {
  public:
    explicit EngineFactory(int version) : version_(version) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Static objects: their references do not keep anything alive.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IDispatch* engine = dao_standin::NewEngine(version_);
        const HRESULT hr = engine->QueryInterface(iid, object);
        engine->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++locks : --locks;
        return S_OK;
    }

  private:
    int version_;
};

EngineFactory factory36(36);
EngineFactory factory120(120);

struct Registration {
    const CLSID& clsid;
    const wchar_t* progId;
};
const Registration kRegistrations[] = {{kEngine36, L"DAO.DBEngine.36"},
                                       {kEngine120, L"DAO.DBEngine.120"}};

std::wstring ClsidText(const CLSID& clsid) {
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    return text;
}

HRESULT SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& data) {
    HKEY opened = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &opened, nullptr);
    if (status == ERROR_SUCCESS) {
        status =
            RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(opened);
    }
    return status == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        thisModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid == kEngine36) return factory36.QueryInterface(iid, object);
    if (clsid == kEngine120) return factory120.QueryInterface(iid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return dao_standin::LiveObjects() == 0 && locks == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(thisModule, path, MAX_PATH);
    for (const Registration& registration : kRegistrations) {
        const std::wstring clsid = ClsidText(registration.clsid);
        const std::wstring key = L"CLSID\\" + clsid;
        for (HRESULT hr :
             {SetValue(key, nullptr, L"Stand-in database engine"),
              SetValue(key + L"\\InprocServer32", nullptr, path),
              SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"),
              SetValue(key + L"\\ProgID", nullptr, registration.progId),
              SetValue(registration.progId, nullptr, registration.progId),
              SetValue(std::wstring(registration.progId) + L"\\CLSID", nullptr, clsid)}) {
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    for (const Registration& registration : kRegistrations) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + ClsidText(registration.clsid)).c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, registration.progId);
    }
    return S_OK;
}
