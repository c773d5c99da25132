#include "dispatch_object.h"

#include <cwctype>

namespace dao_standin {

EngineError MissingFile(const std::wstring& path) {
    return {3024, L"Could not find file '" + path + L"'."};
}

EngineError MissingTable(const std::wstring& name) {
    return {3078, L"The Microsoft Jet database engine cannot find the input table or query '" +
                      name + L"'.  Make sure it exists and that its name is spelled correctly."};
}

EngineError ItemNotFound() { return {3265, L"Item not found in this collection."}; }

EngineError ConversionError() { return {3421, L"Data type conversion error."}; }

EngineError DuplicateKey() {
    return {3022,
            L"The changes you requested to the table were not successful because they would "
            L"create duplicate values in the index, primary key, or relationship. Change the data "
            L"in the field or fields that contain duplicate data, remove the index, or redefine "
            L"the index to permit duplicate entries and try again."};
}

EngineError RequiredField(const std::wstring& tableDotField) {
    return {3314, L"The field '" + tableDotField +
                      L"' cannot contain a Null value because the Required property for this "
                      L"field is set to True.  Enter a value in this field."};
}

EngineError ReservedError(std::int32_t number, std::wstring detail) {
    return {number, std::move(detail)};
}

std::atomic<long>& LiveObjects() {
    static std::atomic<long> live{0};
    return live;
}

Arguments::Arguments(const DISPPARAMS* params) {
    if (!params) return;
    for (UINT i = 0; i < params->cNamedArgs; ++i) {
        if (params->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) assigned_ = &params->rgvarg[i];
    }
    for (UINT i = params->cArgs; i > params->cNamedArgs; --i) {
        const VARIANT* value = &params->rgvarg[i - 1];
        if (V_VT(value) == (VT_BYREF | VT_VARIANT)) value = V_VARIANTREF(value);
        values_.push_back(value);
    }
    if (assigned_ && V_VT(assigned_) == (VT_BYREF | VT_VARIANT))
        assigned_ = V_VARIANTREF(assigned_);
}

bool Arguments::Has(std::size_t index) const {
    if (index >= values_.size()) return false;
    const VARIANT& value = *values_[index];
    return !(V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND);
}

std::wstring Arguments::Text(std::size_t index, const std::wstring& fallback) const {
    if (!Has(index)) return fallback;
    VARIANT text;
    VariantInit(&text);
    if (FAILED(
            VariantChangeTypeEx(&text, const_cast<VARIANT*>(values_[index]), 0x409, 0, VT_BSTR))) {
        throw EngineError{13, L"Type mismatch"};
    }
    std::wstring copy(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
    VariantClear(&text);
    return copy;
}

std::int32_t Arguments::Number(std::size_t index, std::int32_t fallback) const {
    if (!Has(index)) return fallback;
    VARIANT number;
    VariantInit(&number);
    if (FAILED(
            VariantChangeTypeEx(&number, const_cast<VARIANT*>(values_[index]), 0x409, 0, VT_I4))) {
        throw EngineError{13, L"Type mismatch"};
    }
    return V_I4(&number);
}

DispatchObject::DispatchObject(std::vector<std::wstring> members, std::wstring defaultMember)
    : members_(std::move(members)), defaultMember_(std::move(defaultMember)) {
    ++LiveObjects();
}

DispatchObject::~DispatchObject() { --LiveObjects(); }

HRESULT DispatchObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DispatchObject::AddRef() { return static_cast<ULONG>(++references_); }

ULONG DispatchObject::Release() {
    const long left = --references_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

namespace {

bool SameName(const std::wstring& a, const wchar_t* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    }
    return i == a.size() && !b[i];
}

}  // namespace

HRESULT DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT result = S_OK;
    for (UINT n = 0; n < count; ++n) {
        ids[n] = DISPID_UNKNOWN;
        for (std::size_t i = 0; i < members_.size() && n == 0; ++i) {
            if (SameName(members_[i], names[n])) ids[n] = static_cast<DISPID>(i + 1);
        }
        if (ids[n] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT*) {
    std::wstring member;
    if (id == DISPID_VALUE && !defaultMember_.empty()) {
        member = defaultMember_;
    } else if (id >= 1 && static_cast<std::size_t>(id) <= members_.size()) {
        member = members_[static_cast<std::size_t>(id) - 1];
    } else {
        return DISP_E_MEMBERNOTFOUND;
    }
    VARIANT ignored;
    VariantInit(&ignored);
    VARIANT& out = result ? *result : ignored;
    VariantInit(&out);
    try {
        Call(member, flags, Arguments(params), out);
        VariantClear(&ignored);
        return S_OK;
    } catch (const EngineError& error) {
        VariantClear(&out);
        if (exception) {
            *exception = EXCEPINFO{};
            exception->bstrSource = SysAllocString(L"DAO.Database");
            exception->bstrDescription = SysAllocString(error.description.c_str());
            exception->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL,
                                            static_cast<std::uint16_t>(error.number));
        }
        return DISP_E_EXCEPTION;
    } catch (...) {
        VariantClear(&out);
        return E_OUTOFMEMORY;
    }
}

void ReturnObject(VARIANT& result, DispatchObject* object) {
    VariantClear(&result);
    V_VT(&result) = VT_DISPATCH;
    V_DISPATCH(&result) = object;
}

}  // namespace dao_standin
