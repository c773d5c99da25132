#include "com/registration.h"

#include <olectl.h>
#include <oleauto.h>

#include <string>

#include "com/class_registration.h"
#include "com/type_library.h"
#include "kit/unique_handle.h"

namespace reader::com {
namespace {

HRESULT WriteValue(const RegistryValue& value) {
    kit::UniqueKey key;
    LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, value.key.c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegSetValueExW(key.get(), value.name.empty() ? nullptr : value.name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.data.c_str()),
                            static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t)));
    return HRESULT_FROM_WIN32(status);
}

std::wstring DefaultValue(const std::wstring& keyPath) {
    wchar_t data[256] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, keyPath.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data,
                     &size) != ERROR_SUCCESS)
        return {};
    return data;
}

}  // namespace

HRESULT RegisterServer() {
    const ComponentTypeLibrary* library = nullptr;
    if (HRESULT hr = ComponentTypeLibrary::Get(&library); FAILED(hr)) return hr;
    const ClassIdentity& identity = library->identity();
    // RegisterTypeLib takes the path as a writable string but does not change it.
    std::wstring path = identity.serverPath;
    HRESULT hr = RegisterTypeLib(library->library(), path.data(), nullptr);
    if (FAILED(hr)) return hr;
    for (const RegistryValue& value : ClassRegistrationValues(identity)) {
        if (FAILED(hr = WriteValue(value))) {
            UnregisterServer();
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

HRESULT UnregisterServer() {
    const ComponentTypeLibrary* library = nullptr;
    if (HRESULT hr = ComponentTypeLibrary::Get(&library); FAILED(hr)) return hr;
    const ClassIdentity& identity = library->identity();
    const std::wstring progId = ProgId(identity);
    HRESULT result = S_OK;
    for (const std::wstring& root : ClassRegistrationRoots(identity)) {
        // A ProgID that now names another class belongs to whoever registered it last.
        if (root == progId && DefaultValue(progId + L"\\Clsid") != identity.clsid) continue;
        LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, root.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) result = SELFREG_E_CLASS;
    }
    const TLIBATTR& attributes = library->attributes();
    HRESULT hr = UnRegisterTypeLib(attributes.guid, attributes.wMajorVerNum,
                                   attributes.wMinorVerNum, attributes.lcid, attributes.syskind);
    if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && SUCCEEDED(result)) result = SELFREG_E_TYPELIB;
    return result;
}

}  // namespace reader::com
