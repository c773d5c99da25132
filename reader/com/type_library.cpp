#include "com/type_library.h"

#include <oleauto.h>

#include "com/server_module.h"

namespace reader::com {
namespace {

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length =
            GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring Name(ITypeLib* library, INT index) {
    BSTR name = nullptr;
    library->GetDocumentation(index, &name, nullptr, nullptr, nullptr);
    std::wstring text = name ? std::wstring(name, SysStringLen(name)) : std::wstring();
    SysFreeString(name);
    return text;
}

ComponentTypeLibrary instance;
HRESULT loadResult = E_UNEXPECTED;
INIT_ONCE loadOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK LoadOnce(PINIT_ONCE, PVOID library, PVOID*) {
    loadResult = static_cast<ComponentTypeLibrary*>(library)->load();
    return TRUE;
}

}  // namespace

HRESULT ComponentTypeLibrary::Get(const ComponentTypeLibrary** library) {
    // One load per process, even when objects are created in several apartments at once.
    InitOnceExecuteOnce(&loadOnce, LoadOnce, &instance, nullptr);
    *library = SUCCEEDED(loadResult) ? &instance : nullptr;
    return loadResult;
}

HRESULT ComponentTypeLibrary::load() {
    identity_.serverPath = ModulePath();
    if (identity_.serverPath.empty()) return HRESULT_FROM_WIN32(GetLastError());
    HRESULT hr = LoadTypeLibEx(identity_.serverPath.c_str(), REGKIND_NONE, library_.put());
    if (FAILED(hr)) return hr;

    TLIBATTR* attributes = nullptr;
    if (FAILED(hr = library_->GetLibAttr(&attributes))) return hr;
    attributes_ = *attributes;
    library_->ReleaseTLibAttr(attributes);
    identity_.libraryId = GuidText(attributes_.guid);
    identity_.libraryName = Name(library_.get(), -1);
    identity_.version = std::to_wstring(attributes_.wMajorVerNum) + L"." +
                        std::to_wstring(attributes_.wMinorVerNum);

    // The library holds one creatable class; its default interface is the dual _Murello.
    for (UINT i = 0; i < library_->GetTypeInfoCount(); ++i) {
        TYPEKIND kind{};
        if (FAILED(library_->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
        kit::ComPtr<ITypeInfo> coclass;
        if (FAILED(hr = library_->GetTypeInfo(i, coclass.put()))) return hr;
        TYPEATTR* classAttributes = nullptr;
        if (FAILED(hr = coclass->GetTypeAttr(&classAttributes))) return hr;
        identity_.clsid = GuidText(classAttributes->guid);
        coclass->ReleaseTypeAttr(classAttributes);
        identity_.className = Name(library_.get(), static_cast<INT>(i));

        HREFTYPE reference = 0;
        if (FAILED(hr = coclass->GetRefTypeOfImplType(0, &reference)) ||
            FAILED(hr = coclass->GetRefTypeInfo(reference, dispatchInfo_.put())))
            return hr;
        // A dual interface's vtable side is its implemented type number -1.
        if (FAILED(hr = dispatchInfo_->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference)) ||
            FAILED(hr = dispatchInfo_->GetRefTypeInfo(reference, interfaceInfo_.put())))
            return hr;
        progId_ = ProgId(identity_);
        return S_OK;
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

}  // namespace reader::com
