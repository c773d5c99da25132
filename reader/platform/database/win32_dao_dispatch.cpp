#include "platform/database/win32_dao_dispatch.h"

#include <vector>

namespace reader::dao {
namespace {

std::wstring TakeText(BSTR& text) {
    std::wstring copy = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    text = nullptr;
    return copy;
}

// The error that a member raised, as the host reports it: the engine's number (its wCode, or
// the code of a FACILITY_CONTROL scode) and its own description.
RaisedError MemberError(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    std::int32_t number = info.wCode;
    if (number == 0) {
        number = HRESULT_FACILITY(info.scode) == FACILITY_CONTROL ? HRESULT_CODE(info.scode)
                                                                  : info.scode;
    }
    std::wstring description = TakeText(info.bstrDescription);
    TakeText(info.bstrSource);
    TakeText(info.bstrHelpFile);
    if (description.empty()) description = HostError(info.scode).description;
    return {number, std::move(description)};
}

}  // namespace

Variant Variant::Text(const std::wstring& text) {
    Variant v;
    V_VT(&v.value_) = VT_BSTR;
    V_BSTR(&v.value_) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!V_BSTR(&v.value_)) throw RaisedError{7, L"Out of memory"};
    return v;
}

Variant Variant::Long(std::int32_t number) {
    Variant v;
    V_VT(&v.value_) = VT_I4;
    V_I4(&v.value_) = number;
    return v;
}

Variant Variant::Short(std::int16_t number) {
    Variant v;
    V_VT(&v.value_) = VT_I2;
    V_I2(&v.value_) = number;
    return v;
}

Variant Variant::Real(double number) {
    Variant v;
    V_VT(&v.value_) = VT_R8;
    V_R8(&v.value_) = number;
    return v;
}

Variant Variant::DateValue(double automationDate) {
    Variant v;
    V_VT(&v.value_) = VT_DATE;
    V_DATE(&v.value_) = automationDate;
    return v;
}

Variant Variant::Null() {
    Variant v;
    V_VT(&v.value_) = VT_NULL;
    return v;
}

Variant Variant::Missing() {
    Variant v;
    V_VT(&v.value_) = VT_ERROR;
    V_ERROR(&v.value_) = DISP_E_PARAMNOTFOUND;
    return v;
}

RaisedError HostError(HRESULT hr) {
    switch (hr) {
        case DISP_E_UNKNOWNNAME:
        case DISP_E_MEMBERNOTFOUND:
            return {438, L"Object doesn't support this property or method"};
        case DISP_E_TYPEMISMATCH:
            return {13, L"Type mismatch"};
        case DISP_E_OVERFLOW:
            return {6, L"Overflow"};
        case DISP_E_BADPARAMCOUNT:
        case DISP_E_PARAMNOTOPTIONAL:
            return {450, L"Wrong number of arguments or invalid property assignment"};
        case E_OUTOFMEMORY:
            return {7, L"Out of memory"};
        default:
            if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) {
                return {HRESULT_CODE(hr), L"Automation error"};
            }
            return {static_cast<std::int32_t>(hr), L"Automation error"};
    }
}

kit::ComPtr<IDispatch> CreateObject(const wchar_t* progId) {
    const RaisedError cannotCreate{429, L"ActiveX component can't create object"};
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(progId, &clsid))) throw cannotCreate;
    kit::ComPtr<IDispatch> object;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IDispatch, object.put_void())) ||
        !object) {
        throw cannotCreate;
    }
    return object;
}

Variant Call(IDispatch& object, const wchar_t* member, WORD flags,
             std::initializer_list<const Variant*> arguments) {
    DISPID id = DISPID_VALUE;
    if (member) {
        LPOLESTR name = const_cast<LPOLESTR>(member);
        const HRESULT hr = object.GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) throw HostError(hr);
    }
    // DISPPARAMS holds the arguments last first; the call only reads them.
    std::vector<VARIANT> reversed;
    for (auto it = std::rbegin(arguments); it != std::rend(arguments); ++it)
        reversed.push_back((*it)->get());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    Variant result;
    EXCEPINFO info{};
    UINT argumentError = 0;
    const HRESULT hr = object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                     (flags & DISPATCH_PROPERTYPUT) ? nullptr : &result.get(),
                                     &info, &argumentError);
    if (hr == DISP_E_EXCEPTION) throw MemberError(info);
    if (FAILED(hr)) throw HostError(hr);
    return result;
}

kit::ComPtr<IDispatch> GetObject(IDispatch& object, const wchar_t* member,
                                 std::initializer_list<const Variant*> arguments) {
    Variant result = Call(object, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, arguments);
    VARIANT& value = result.get();
    if (V_VT(&value) != VT_DISPATCH || !V_DISPATCH(&value)) {
        throw RaisedError{424, L"Object required"};
    }
    kit::ComPtr<IDispatch> owned(V_DISPATCH(&value));
    V_VT(&value) = VT_EMPTY;  // the reference now belongs to `owned`
    return owned;
}

void CallMethod(IDispatch& object, const wchar_t* member,
                std::initializer_list<const Variant*> arguments) {
    Call(object, member, DISPATCH_METHOD, arguments);
}

void PutProperty(IDispatch& object, const wchar_t* member, const Variant& value) {
    Call(object, member, DISPATCH_PROPERTYPUT, {&value});
}

}  // namespace reader::dao
