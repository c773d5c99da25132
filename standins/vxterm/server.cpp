// Entry points, class object and registration of the stand-in terminal control (see
// simulated_terminal.h for how a test scripts it).
#include <windows.h>
// after windows.h
#include <olectl.h>

#include <atomic>
#include <string>

#include "kit/unique_handle.h"
#include "terminal_control.h"

namespace {

// {14B7B95A-6D0F-4093-B508-359A8A9A1CCA}: the stand-in's own class, under the control's ProgID.
constexpr CLSID kClsid = {
    0x14b7b95a, 0x6d0f, 0x4093, {0xb5, 0x08, 0x35, 0x9a, 0x8a, 0x9a, 0x1c, 0xca}};
constexpr wchar_t kClsidText[] = L"{14B7B95A-6D0F-4093-B508-359A8A9A1CCA}";
constexpr wchar_t kProgId[] = L"VXTerm.ctlVXTerm";

HMODULE thisModule = nullptr;
std::atomic<long> locks{0};

class ClassFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++locks) + 1; }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--locks) + 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return vxterm::TerminalControl::Create(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++locks : --locks;
        return S_OK;
    }
};
ClassFactory factory;

bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& data) {
    kit::UniqueKey handle;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        handle.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(handle.get(), name, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        thisModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != kClsid) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return vxterm::LiveObjects() == 0 && locks == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(thisModule, path, MAX_PATH);
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
    const bool ok = SetValue(kProgId, nullptr, L"VXTerm stand-in (tests only)") &&
                    SetValue(std::wstring(kProgId) + L"\\CLSID", nullptr, kClsidText) &&
                    SetValue(clsidKey, nullptr, L"VXTerm stand-in (tests only)") &&
                    SetValue(clsidKey + L"\\ProgID", nullptr, kProgId) &&
                    SetValue(clsidKey + L"\\InprocServer32", nullptr, path) &&
                    SetValue(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    return ok ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsidText).c_str());
    return S_OK;
}
