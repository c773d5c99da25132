#include "kit/dispatch_call.h"

#include <oleauto.h>

#include <utility>

#include "kit/bstr.h"

namespace kit {
namespace {

// An Automation error number carried by an HRESULT of facility "control" (0x800A....).
bool AutomationNumber(HRESULT result, std::int32_t& number) {
    if (HRESULT_FACILITY(result) != FACILITY_CONTROL || !FAILED(result)) return false;
    number = HRESULT_CODE(result);
    return true;
}

[[noreturn]] void ThrowOutOfMemory(const std::wstring& member) {
    throw ErrorOfResult(E_OUTOFMEMORY, member);
}

DispatchError ErrorOfException(EXCEPINFO& info, HRESULT result, const std::wstring& member) {
    // Some callees fill it lazily.
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    UniqueBstr description(info.bstrDescription);
    UniqueBstr source(info.bstrSource);
    UniqueBstr help(info.bstrHelpFile);
    DispatchError error = ErrorOfResult(info.scode ? info.scode : result, member);
    if (info.wCode != 0) {
        error.number = info.wCode;
    } else if (info.scode != 0 && !AutomationNumber(info.scode, error.number)) {
        error.number = static_cast<std::int32_t>(info.scode);
    }
    if (description) error.description = description.str();
    error.source = source.str();
    error.hresult = result;
    return error;
}

}  // namespace

DispatchError ErrorOfResult(HRESULT result, const std::wstring& member) {
    DispatchError error;
    error.hresult = result;
    error.member = member;
    if (AutomationNumber(result, error.number)) return error;
    switch (result) {
        case E_OUTOFMEMORY:
            error.number = 7;
            error.description = L"Out of memory";
            break;
        case DISP_E_TYPEMISMATCH:
            error.number = 13;
            error.description = L"Type mismatch";
            break;
        case DISP_E_OVERFLOW:
            error.number = 6;
            error.description = L"Overflow";
            break;
        case DISP_E_UNKNOWNNAME:
        case DISP_E_MEMBERNOTFOUND:
            error.number = 438;
            error.description = L"Object doesn't support this property or method";
            break;
        case DISP_E_PARAMNOTOPTIONAL:
            error.number = 449;
            error.description = L"Argument not optional";
            break;
        case DISP_E_BADPARAMCOUNT:
            error.number = 450;
            error.description = L"Wrong number of arguments or invalid property assignment";
            break;
        default:
            // The HRESULT itself, as Automation reports an error it has no number for.
            error.number = static_cast<std::int32_t>(result);
            error.description = L"Automation error";
            break;
    }
    return error;
}

DispatchArguments& DispatchArguments::Add(const std::wstring& text) {
    Slot slot;
    BSTR value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!value) ThrowOutOfMemory({});
    V_VT(slot.stored.get()) = VT_BSTR;
    V_BSTR(slot.stored.get()) = value;
    slots_.push_back(std::move(slot));
    return *this;
}

DispatchArguments& DispatchArguments::Add(std::int32_t value) {
    Slot slot;
    V_VT(slot.stored.get()) = VT_I4;
    V_I4(slot.stored.get()) = value;
    slots_.push_back(std::move(slot));
    return *this;
}

DispatchArguments& DispatchArguments::Add(std::int16_t value) {
    Slot slot;
    V_VT(slot.stored.get()) = VT_I2;
    V_I2(slot.stored.get()) = value;
    slots_.push_back(std::move(slot));
    return *this;
}

DispatchArguments& DispatchArguments::Add(double value) {
    Slot slot;
    V_VT(slot.stored.get()) = VT_R8;
    V_R8(slot.stored.get()) = value;
    slots_.push_back(std::move(slot));
    return *this;
}

DispatchArguments& DispatchArguments::Add(bool value) {
    Slot slot;
    V_VT(slot.stored.get()) = VT_BOOL;
    V_BOOL(slot.stored.get()) = value ? VARIANT_TRUE : VARIANT_FALSE;
    slots_.push_back(std::move(slot));
    return *this;
}

DispatchArguments& DispatchArguments::AddDate(double automationDate) {
    Slot slot;
    V_VT(slot.stored.get()) = VT_DATE;
    V_DATE(slot.stored.get()) = automationDate;
    slots_.push_back(std::move(slot));
    return *this;
}

DispatchArguments& DispatchArguments::AddNull() {
    Slot slot;
    V_VT(slot.stored.get()) = VT_NULL;
    slots_.push_back(std::move(slot));
    return *this;
}

DispatchArguments& DispatchArguments::AddMissing() {
    Slot slot;
    V_VT(slot.stored.get()) = VT_ERROR;
    V_ERROR(slot.stored.get()) = DISP_E_PARAMNOTFOUND;
    slots_.push_back(std::move(slot));
    return *this;
}

DispatchArguments& DispatchArguments::AddRef(std::wstring& text) {
    Add(text);
    slots_.back().copyBack = [&text](const VARIANT& v) {
        text.assign(V_BSTR(&v) ? V_BSTR(&v) : L"", SysStringLen(V_BSTR(&v)));
    };
    return *this;
}

DispatchArguments& DispatchArguments::AddRef(std::int32_t& value) {
    Add(value);
    slots_.back().copyBack = [&value](const VARIANT& v) { value = V_I4(&v); };
    return *this;
}

DispatchArguments& DispatchArguments::AddRef(std::int16_t& value) {
    Add(value);
    slots_.back().copyBack = [&value](const VARIANT& v) { value = V_I2(&v); };
    return *this;
}

DispatchArguments& DispatchArguments::AddRef(bool& value) {
    Add(value);
    slots_.back().copyBack = [&value](const VARIANT& v) { value = V_BOOL(&v) != VARIANT_FALSE; };
    return *this;
}

UniqueVariant CallDispatch(IDispatch* object, DISPID id, WORD flags, DispatchArguments& arguments,
                           const std::wstring& memberName) {
    if (!object) throw ErrorOfResult(E_POINTER, memberName);
    // DISPPARAMS holds the arguments last first; by-reference ones point at their slot's value,
    // which the callee may free and replace.
    std::vector<VARIANT> passed(arguments.slots_.size());
    for (std::size_t i = 0; i < passed.size(); ++i) {
        VARIANT& v = passed[passed.size() - 1 - i];
        auto& slot = arguments.slots_[i];
        VariantInit(&v);
        if (slot.copyBack) {
            VARIANT* target = slot.stored.get();
            V_VT(&v) = static_cast<VARTYPE>(V_VT(target) | VT_BYREF);
            // Every byref member of the union is a pointer at the same place: the value's field.
            V_BYREF(&v) = &target->bstrVal;
        } else {
            v = *slot.stored.get();  // borrowed: the slot keeps ownership
        }
    }
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{passed.data(), nullptr, static_cast<UINT>(passed.size()), 0};
    if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && !passed.empty()) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    UniqueVariant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                      result.put(), &exception, &argumentError);
    for (auto& slot : arguments.slots_) {
        if (slot.copyBack) slot.copyBack(*slot.stored.get());
    }
    if (hr == DISP_E_EXCEPTION) throw ErrorOfException(exception, hr, memberName);
    if (FAILED(hr)) throw ErrorOfResult(hr, memberName);
    return result;
}

UniqueVariant CallDispatch(IDispatch* object, const std::wstring& name, WORD flags,
                           DispatchArguments& arguments) {
    if (!object) throw ErrorOfResult(E_POINTER, name);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) throw ErrorOfResult(hr, name);
    return CallDispatch(object, id, flags, arguments, name);
}

UniqueVariant CallDispatch(IDispatch* object, const std::wstring& name, WORD flags) {
    DispatchArguments none;
    return CallDispatch(object, name, flags, none);
}

}  // namespace kit
