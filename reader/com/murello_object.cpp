#include "com/murello_object.h"

#include <oleauto.h>

#include "com/automation_error.h"
#include "com/server_module.h"
#include "com/type_library_dispatch.h"

namespace reader::com {

HRESULT MurelloObject::Create(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    std::unique_ptr<reader::Murello> logic;
    HRESULT hr = CallLogic(IID__Murello, [&] { logic = reader::CreateMurello(); });
    if (FAILED(hr)) return hr;
    std::unique_ptr<MurelloObject> created;
    try {
        created = std::make_unique<MurelloObject>(std::move(logic));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // From here the reference count owns the object: it deletes itself in Release.
    MurelloObject* owned = created.release();
    hr = owned->QueryInterface(riid, object);
    owned->Release();
    return hr;
}

MurelloObject::MurelloObject(std::unique_ptr<reader::Murello> logic) : logic_(std::move(logic)) {
    ObjectCreated();
}

MurelloObject::~MurelloObject() { ObjectDestroyed(); }

HRESULT MurelloObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__Murello) {
        *object = static_cast<_Murello*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG MurelloObject::AddRef() { return ++references_; }

ULONG MurelloObject::Release() {
    ULONG left = --references_;
    // The one place where the object ends: the last reference is gone.
    if (left == 0) delete this;
    return left;
}

HRESULT MurelloObject::GetTypeInfoCount(UINT* count) {
    return TypeLibraryDispatch::GetTypeInfoCount(count);
}

HRESULT MurelloObject::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
    return TypeLibraryDispatch::GetTypeInfo(index, lcid, info);
}

HRESULT MurelloObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return TypeLibraryDispatch::GetIDsOfNames(names, count, ids);
}

HRESULT MurelloObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return TypeLibraryDispatch::Invoke(static_cast<_Murello*>(this), id, flags, params, result,
                                       exception, argumentError);
}

HRESULT MurelloObject::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID__Murello ? S_OK : S_FALSE;
}

HRESULT MurelloObject::get_Porta(PortaValue* value) {
    if (!value) return E_POINTER;
    *value = static_cast<PortaValue>(logic_->Porta);
    return S_OK;
}

HRESULT MurelloObject::put_Porta(PortaValue value) {
    logic_->Porta = static_cast<std::int32_t>(value);
    return S_OK;
}

HRESULT MurelloObject::get_DbPath(BSTR* value) {
    if (!value) return E_POINTER;
    *value = SysAllocStringLen(logic_->DbPath.data(), static_cast<UINT>(logic_->DbPath.size()));
    return *value ? S_OK : E_OUTOFMEMORY;
}

HRESULT MurelloObject::put_DbPath(BSTR value) {
    return CallLogic(IID__Murello,
                     [&] { logic_->DbPath.assign(value ? value : L"", SysStringLen(value)); });
}

#ifdef MURELLO_HAS_IDUT
HRESULT MurelloObject::get_IdUt(short* value) {
    if (!value) return E_POINTER;
    *value = logic_->IdUt;
    return S_OK;
}

HRESULT MurelloObject::put_IdUt(short value) {
    logic_->IdUt = value;
    return S_OK;
}
#endif

HRESULT MurelloObject::Scarica(VARIANT* result) {
    if (!result) return E_POINTER;
    VariantInit(result);
    // The download dispatches window messages while it waits: a host that drops its last
    // reference from a message handler must not destroy the object under the running call.
    AddRef();
    const HRESULT hr = CallLogic(IID__Murello, [&] { logic_->Scarica(); });
    Release();
    return hr;
}

HRESULT MurelloObject::NotAvailableYet(const wchar_t* member, VARIANT* result) {
    if (result) VariantInit(result);
    return RaiseNotAvailableYet(member, IID__Murello);
}

#ifdef MURELLO_HAS_TERMINAL
HRESULT MurelloObject::Scarica3(VARIANT* result) { return NotAvailableYet(L"Scarica3", result); }
HRESULT MurelloObject::Scarica4(VARIANT* result) { return NotAvailableYet(L"Scarica4", result); }
HRESULT MurelloObject::Scarica5(VARIANT* result) { return NotAvailableYet(L"Scarica5", result); }
HRESULT MurelloObject::Upload1(VARIANT* result) { return NotAvailableYet(L"Upload1", result); }
#endif

#ifdef MURELLO_HAS_RIMESSE_OF
HRESULT MurelloObject::Scarica_RimesseOF(VARIANT* result) {
    return NotAvailableYet(L"Scarica_RimesseOF", result);
}
#endif

HRESULT MurelloObject::Scarica1(VARIANT* result) { return NotAvailableYet(L"Scarica1", result); }

#ifdef MURELLO_HAS_READER_PROGRAM
HRESULT MurelloObject::Scarica2(BSTR*, BSTR*, Scarica_COM*, Scarica_Baud*, Scarica_ModFile*,
                                VARIANT_BOOL*, VARIANT_BOOL*, VARIANT_BOOL*, VARIANT_BOOL*,
                                VARIANT_BOOL*, short*) {
    return NotAvailableYet(L"Scarica2", nullptr);
}
#endif

#ifdef MURELLO_HAS_LABELS
HRESULT MurelloObject::Scarica_RovovaDeru(BSTR*, BSTR*, Scarica_COM*, Scarica_Baud*,
                                          Scarica_ModFile*, VARIANT_BOOL*, VARIANT_BOOL*,
                                          VARIANT_BOOL*, VARIANT_BOOL*, VARIANT_BOOL*, short*) {
    return NotAvailableYet(L"Scarica_RovovaDeru", nullptr);
}
#endif

}  // namespace reader::com
