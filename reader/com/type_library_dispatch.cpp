#include "com/type_library_dispatch.h"

#include <oleauto.h>

#include "com/defaulted_arguments.h"
#include "com/type_library.h"

namespace reader::com {

HRESULT TypeLibraryDispatch::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT TypeLibraryDispatch::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const ComponentTypeLibrary* library = nullptr;
    if (HRESULT hr = ComponentTypeLibrary::Get(&library); FAILED(hr)) return hr;
    *info = library->dispatchInfo();
    (*info)->AddRef();
    return S_OK;
}

HRESULT TypeLibraryDispatch::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
    const ComponentTypeLibrary* library = nullptr;
    if (HRESULT hr = ComponentTypeLibrary::Get(&library); FAILED(hr)) return hr;
    return library->interfaceInfo()->GetIDsOfNames(names, count, ids);
}

HRESULT TypeLibraryDispatch::Invoke(void* self, DISPID id, WORD flags, DISPPARAMS* params,
                                    VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    const ComponentTypeLibrary* library = nullptr;
    if (HRESULT hr = ComponentTypeLibrary::Get(&library); FAILED(hr)) return hr;
    // The member sets the thread's error information when it fails; the type information turns
    // that into the exception record (DISP_E_EXCEPTION) that late-bound callers read.
    SetErrorInfo(0, nullptr);
    DefaultedArguments completed;
    ITypeInfo* info = library->interfaceInfo();
    return info->Invoke(self, id, flags, completed.Complete(info, id, flags, params), result,
                        exception, argumentError);
}

}  // namespace reader::com
