// Late-bound calls through IDispatch: by dispatch id or by name, with typed arguments passed by
// value or by reference, the result in an owned VARIANT, and a failure (the callee's EXCEPINFO, or
// the HRESULT of the call itself) turned into one error with an Automation number and text.
#pragma once

#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <oaidl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kit/variant.h"

namespace kit {

// What a failed call reports. number is the EXCEPINFO's wCode, else its scode's Automation number
// (the low word of a 0x800A.... code), else the number Automation gives the call's HRESULT;
// description is the callee's text (or the standard one). hresult and member are for diagnosis.
struct DispatchError {
    std::int32_t number = 0;
    std::wstring description;
    std::wstring source;
    HRESULT hresult = S_OK;
    std::wstring member;
};

// The arguments of one call, in the order the callee declares them. A by-reference argument
// points at the caller's variable, which receives what the callee left in it.
class DispatchArguments {
  public:
    DispatchArguments() = default;
    DispatchArguments(const DispatchArguments&) = delete;
    DispatchArguments& operator=(const DispatchArguments&) = delete;

    DispatchArguments& Add(const std::wstring& text);
    DispatchArguments& Add(const wchar_t* text) { return Add(std::wstring(text)); }
    DispatchArguments& Add(std::int32_t value);
    DispatchArguments& Add(std::int16_t value);
    DispatchArguments& Add(double value);
    DispatchArguments& Add(bool value);
    // An Automation date (VT_DATE): days since 30 December 1899.
    DispatchArguments& AddDate(double automationDate);
    DispatchArguments& AddNull();
    // An optional argument left out (VT_ERROR, DISP_E_PARAMNOTFOUND).
    DispatchArguments& AddMissing();

    DispatchArguments& AddRef(std::wstring& text);
    DispatchArguments& AddRef(std::int32_t& value);
    DispatchArguments& AddRef(std::int16_t& value);
    DispatchArguments& AddRef(bool& value);

  private:
    friend UniqueVariant CallDispatch(IDispatch*, DISPID, WORD, DispatchArguments&,
                                      const std::wstring&);
    struct Slot {
        UniqueVariant stored;  // the value, or the by-reference target's storage
        std::function<void(const VARIANT&)> copyBack;  // by reference: back to the caller
    };
    std::vector<Slot> slots_;
};

// Calls member id with the arguments; flags DISPATCH_METHOD, DISPATCH_PROPERTYGET or
// DISPATCH_PROPERTYPUT (which passes the last argument as the value put). Throws DispatchError.
// memberName only names the member in the error.
UniqueVariant CallDispatch(IDispatch* object, DISPID id, WORD flags, DispatchArguments& arguments,
                           const std::wstring& memberName = {});
// The same by name (looked up with GetIDsOfNames; an unknown name is error 438).
UniqueVariant CallDispatch(IDispatch* object, const std::wstring& name, WORD flags,
                           DispatchArguments& arguments);
// Without arguments.
UniqueVariant CallDispatch(IDispatch* object, const std::wstring& name, WORD flags);

// The Automation number and text for an HRESULT of a failed call (no EXCEPINFO).
DispatchError ErrorOfResult(HRESULT result, const std::wstring& member);

}  // namespace kit
#endif
