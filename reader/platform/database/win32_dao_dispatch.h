// Late-bound calls for the DAO engine: owned VARIANTs and calls by member name whose failures
// become RaisedError with the engine's own number and description (from the EXCEPINFO of
// DISP_E_EXCEPTION), or the host's number for a failure of the call itself.
#pragma once

#include <windows.h>
// after windows.h
#include <oleauto.h>

#include <initializer_list>
#include <string>

#include "core/murello.h"
#include "kit/com_ptr.h"

namespace reader::dao {

// One owned VARIANT (cleared when it goes away).
class Variant {
  public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }

    static Variant Text(const std::wstring& text);
    static Variant Long(std::int32_t number);
    static Variant Short(std::int16_t number);
    static Variant Real(double number);
    static Variant DateValue(double automationDate);
    static Variant Null();
    // An optional argument left out.
    static Variant Missing();

    VARIANT& get() { return value_; }
    const VARIANT& get() const { return value_; }

  private:
    VARIANT value_;
};

// A failure of the host's own making (no object, no member), with its number and description.
RaisedError HostError(HRESULT hr);

// Creates an object by its ProgID; an unknown or failing class raises 429.
kit::ComPtr<IDispatch> CreateObject(const wchar_t* progId);

// member nullptr: the object's default member. Arguments in call order.
Variant Call(IDispatch& object, const wchar_t* member, WORD flags,
             std::initializer_list<const Variant*> arguments);
kit::ComPtr<IDispatch> GetObject(IDispatch& object, const wchar_t* member,
                                 std::initializer_list<const Variant*> arguments = {});
void CallMethod(IDispatch& object, const wchar_t* member,
                std::initializer_list<const Variant*> arguments = {});
void PutProperty(IDispatch& object, const wchar_t* member, const Variant& value);

}  // namespace reader::dao
