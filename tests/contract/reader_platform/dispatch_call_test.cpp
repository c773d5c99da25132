// The late-bound call helper against a small in-process Automation object: arguments by value and
// by reference, calls by dispatch id and by name, and the callee's EXCEPINFO turned into one
// error with its number and text. Windows only (run under Wine with the other contract suites).
#include "kit/dispatch_call.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

enum : DISPID { kEcho = 1, kSwap = 2, kFailScode = 3, kFailWCode = 4, kMismatch = 5 };

// Echo(text, number) returns "text|number"; Swap(ByRef text, ByRef long, ByRef short, ByRef bool)
// changes each; the Fail members raise through EXCEPINFO, Mismatch through the HRESULT alone.
class TestObject : public IDispatch {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid != IID_IUnknown && riid != IID_IDispatch) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        const struct {
            const wchar_t* name;
            DISPID id;
        } members[] = {{L"Echo", kEcho},
                       {L"Swap", kSwap},
                       {L"FailScode", kFailScode},
                       {L"FailWCode", kFailWCode},
                       {L"Mismatch", kMismatch}};
        if (count != 1) return DISP_E_UNKNOWNNAME;
        for (const auto& member : members) {
            if (_wcsicmp(names[0], member.name) == 0) {
                ids[0] = member.id;
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override {
        VARIANT* args = params->rgvarg;  // last argument first
        switch (id) {
            case kEcho: {
                if (params->cArgs != 2 || V_VT(&args[1]) != VT_BSTR || V_VT(&args[0]) != VT_I4)
                    return DISP_E_TYPEMISMATCH;
                const std::wstring text =
                    std::wstring(V_BSTR(&args[1])) + L"|" + std::to_wstring(V_I4(&args[0]));
                V_VT(result) = VT_BSTR;
                V_BSTR(result) = SysAllocString(text.c_str());
                return S_OK;
            }
            case kSwap: {
                if (params->cArgs != 4 || V_VT(&args[3]) != (VT_BSTR | VT_BYREF) ||
                    V_VT(&args[2]) != (VT_I4 | VT_BYREF) || V_VT(&args[1]) != (VT_I2 | VT_BYREF) ||
                    V_VT(&args[0]) != (VT_BOOL | VT_BYREF))
                    return DISP_E_TYPEMISMATCH;
                const std::wstring text = std::wstring(*V_BSTRREF(&args[3])) + L" e ritorno";
                SysFreeString(*V_BSTRREF(&args[3]));
                *V_BSTRREF(&args[3]) = SysAllocString(text.c_str());
                *V_I4REF(&args[2]) *= 2;
                *V_I2REF(&args[1]) += 1;
                *V_BOOLREF(&args[0]) = *V_BOOLREF(&args[0]) ? VARIANT_FALSE : VARIANT_TRUE;
                return S_OK;
            }
            case kFailScode:
                exception->wCode = 0;
                exception->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 3265);
                exception->bstrSource = SysAllocString(L"TestObject");
                exception->bstrDescription = SysAllocString(L"Item not found in this collection.");
                return DISP_E_EXCEPTION;
            case kFailWCode:
                exception->wCode = 1001;
                exception->bstrDescription = SysAllocString(L"Il terminale non risponde");
                return DISP_E_EXCEPTION;
            case kMismatch:
                return DISP_E_TYPEMISMATCH;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    ULONG references = 1;
};

kit::DispatchError ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const kit::DispatchError& error) {
        return error;
    }
    return {};
}

TEST(DispatchCall, ArgumentsByValueAndByReferenceByIdAndByName) {
    TestObject object;
    for (bool byName : {false, true}) {
        SCOPED_TRACE(byName ? "by name" : "by id");
        kit::DispatchArguments echo;
        echo.Add(L"Caff\u00e8").Add(std::int32_t{-42});
        kit::UniqueVariant result = byName
                                        ? kit::CallDispatch(&object, L"echo", DISPATCH_METHOD, echo)
                                        : kit::CallDispatch(&object, kEcho, DISPATCH_METHOD, echo);
        ASSERT_EQ(result.type(), VT_BSTR);
        EXPECT_EQ(std::wstring(V_BSTR(result.get())), L"Caff\u00e8|-42");

        std::wstring text = L"andata";
        std::int32_t number = 21;
        std::int16_t small = 7;
        bool flag = true;
        kit::DispatchArguments swap;
        swap.AddRef(text).AddRef(number).AddRef(small).AddRef(flag);
        if (byName) {
            kit::CallDispatch(&object, L"Swap", DISPATCH_METHOD, swap);
        } else {
            kit::CallDispatch(&object, kSwap, DISPATCH_METHOD, swap);
        }
        EXPECT_EQ(text, L"andata e ritorno");
        EXPECT_EQ(number, 42);
        EXPECT_EQ(small, 8);
        EXPECT_FALSE(flag);
    }
    EXPECT_EQ(object.references, 1u);
}

TEST(DispatchCall, FailuresBecomeOneErrorWithNumberAndText) {
    TestObject object;
    const struct {
        const wchar_t* member;
        std::int32_t number;
        const wchar_t* description;
    } rows[] = {
        {L"FailScode", 3265, L"Item not found in this collection."},
        {L"FailWCode", 1001, L"Il terminale non risponde"},
        {L"Mismatch", 13, L"Type mismatch"},
        {L"NoSuchMember", 438, L"Object doesn't support this property or method"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.number);
        const kit::DispatchError error =
            ErrorOf([&] { kit::CallDispatch(&object, row.member, DISPATCH_METHOD); });
        EXPECT_EQ(error.number, row.number);
        EXPECT_EQ(error.description, row.description);
        EXPECT_EQ(error.member, row.member);
    }
}

}  // namespace
