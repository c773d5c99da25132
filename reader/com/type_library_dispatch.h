// IDispatch for a dual interface, by forwarding to the component's type library: the objects
// implement only their vtable members, and late binding finds them through the type information.
#pragma once

#include <windows.h>
// after windows.h
#include <oaidl.h>

namespace reader::com {

class TypeLibraryDispatch {
  public:
    static HRESULT GetTypeInfoCount(UINT* count);
    static HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info);
    static HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
    // self: the object's pointer of the dual interface, whose vtable the call goes through.
    static HRESULT Invoke(void* self, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, UINT* argumentError);
};

}  // namespace reader::com
