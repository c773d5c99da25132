#include "terminal_control.h"

#include <oleauto.h>

#include <iterator>
#include <memory>
#include <new>
#include <utility>

namespace vxterm {
namespace {

std::atomic<long> liveObjects{0};

struct Member {
    DISPID id;
    const wchar_t* name;
};
constexpr Member kMembers[] = {{kDispInErrore, L"InErrore"},
                               {kDispInviaFile, L"InviaFile"},
                               {kDispRiceviFile, L"RiceviFile"},
                               {kDispChiudi, L"Chiudi"}};

const wchar_t* MemberName(DISPID id) {
    for (const Member& member : kMembers) {
        if (member.id == id) return member.name;
    }
    return nullptr;
}

std::wstring FlagsText(WORD flags) {
    std::wstring text;
    if (flags & DISPATCH_METHOD) text += L"method";
    if (flags & DISPATCH_PROPERTYGET) text += text.empty() ? L"get" : L"|get";
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
        text += text.empty() ? L"put" : L"|put";
    return text;
}

std::wstring VarTypeName(VARTYPE type) {
    static const std::pair<VARTYPE, const wchar_t*> names[] = {
        {VT_EMPTY, L"VT_EMPTY"},     {VT_NULL, L"VT_NULL"},
        {VT_I2, L"VT_I2"},           {VT_I4, L"VT_I4"},
        {VT_R4, L"VT_R4"},           {VT_R8, L"VT_R8"},
        {VT_CY, L"VT_CY"},           {VT_DATE, L"VT_DATE"},
        {VT_BSTR, L"VT_BSTR"},       {VT_DISPATCH, L"VT_DISPATCH"},
        {VT_ERROR, L"VT_ERROR"},     {VT_BOOL, L"VT_BOOL"},
        {VT_VARIANT, L"VT_VARIANT"}, {VT_UNKNOWN, L"VT_UNKNOWN"},
        {VT_I1, L"VT_I1"},           {VT_UI1, L"VT_UI1"},
        {VT_UI2, L"VT_UI2"},         {VT_UI4, L"VT_UI4"},
        {VT_INT, L"VT_INT"},         {VT_UINT, L"VT_UINT"}};
    std::wstring name = L"VT_" + std::to_wstring(type & VT_TYPEMASK);
    for (const auto& [known, text] : names) {
        if (known == (type & VT_TYPEMASK)) name = text;
    }
    if (type & VT_ARRAY) name += L"|VT_ARRAY";
    if (type & VT_BYREF) name += L"|VT_BYREF";
    return name;
}

// The argument's value as text (strings quoted), through any reference.
bool ArgumentText(const VARIANT& argument, std::wstring& text) {
    VARIANT copy;
    VariantInit(&copy);
    bool ok = SUCCEEDED(VariantCopyInd(&copy, const_cast<VARIANT*>(&argument)));
    const bool quoted = ok && copy.vt == VT_BSTR;
    ok = ok && SUCCEEDED(VariantChangeType(&copy, &copy, 0, VT_BSTR));
    if (ok) {
        const std::wstring value(copy.bstrVal, SysStringLen(copy.bstrVal));
        text = quoted ? L"\"" + value + L"\"" : value;
    }
    VariantClear(&copy);
    return ok;
}

// Invoke's arguments come last first.
const VARIANT& Argument(const DISPPARAMS* params, UINT index) {
    return params->rgvarg[params->cArgs - 1 - index];
}

HRESULT Raise(EXCEPINFO* exception, bool fromScode, long number, const std::wstring& text) {
    const HRESULT scode = fromScode ? static_cast<HRESULT>(number)
                                    : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
    if (!exception) return scode;
    *exception = {};
    exception->wCode = fromScode ? 0 : static_cast<WORD>(number);
    exception->scode = fromScode ? scode : 0;
    exception->bstrSource = SysAllocString(L"VXTerm.ctlVXTerm");
    exception->bstrDescription = SysAllocString(text.c_str());
    return DISP_E_EXCEPTION;
}

}  // namespace

long LiveObjects() { return liveObjects; }

HRESULT TerminalControl::Create(REFIID riid, void** object) {
    std::unique_ptr<TerminalControl> created(new (std::nothrow) TerminalControl);
    if (!created) return E_OUTOFMEMORY;
    // From here the reference count owns the object.
    TerminalControl* owned = created.release();
    const HRESULT hr = owned->QueryInterface(riid, object);
    owned->Release();
    return hr;
}

TerminalControl::TerminalControl() {
    ++liveObjects;
    terminal_.Log(terminal_.OffersOleObject() ? L"create IDispatch+IOleObject"
                                              : L"create IDispatch");
}

TerminalControl::~TerminalControl() {
    std::wstring line = L"release";
    if (siteWindow_) line += IsWindow(siteWindow_) ? L" window alive" : L" window gone";
    terminal_.Log(line);
    --liveObjects;
}

HRESULT TerminalControl::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
    } else if (riid == IID_IOleObject && terminal_.OffersOleObject()) {
        *object = static_cast<IOleObject*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG TerminalControl::AddRef() { return ++references_; }

ULONG TerminalControl::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT TerminalControl::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TerminalControl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT TerminalControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        for (const Member& member : kMembers) {
            if (i == 0 && _wcsicmp(names[i], member.name) == 0) ids[i] = member.id;
        }
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT TerminalControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (argumentError) *argumentError = 0;
    if (!params) return E_INVALIDARG;
    if (result) VariantInit(result);
    return Call(id, flags, params, result, exception);
}

HRESULT TerminalControl::Call(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* exception) {
    const wchar_t* name = MemberName(id);
    std::wstring line = name ? name : L"dispid " + std::to_wstring(id);
    line += L" " + FlagsText(flags);
    for (UINT i = 0; i < params->cArgs; ++i) {
        const VARIANT& argument = Argument(params, i);
        std::wstring value;
        line += L" " + VarTypeName(argument.vt);
        if (ArgumentText(argument, value)) line += L" " + value;
    }
    if (!name) {
        terminal_.Log(line + L" -> not a member");
        return DISP_E_MEMBERNOTFOUND;
    }
    if (const ScriptedFailure* failure = terminal_.FailureOf(name)) {
        terminal_.Log(line + L" -> error " + std::to_wstring(failure->number));
        return Raise(exception, failure->fromScode, failure->number, failure->description);
    }
    const HRESULT hr = RunMember(id, params, result, exception);
    terminal_.Log(hr == DISP_E_EXCEPTION ? line + L" -> error " + std::to_wstring(exception->wCode)
                                         : line);
    return hr;
}

HRESULT TerminalControl::RunMember(DISPID id, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception) {
    const UINT expected = id == kDispRiceviFile ? 2 : id == kDispInviaFile ? 1 : 0;
    if (params->cArgs != expected) return DISP_E_BADPARAMCOUNT;
    std::wstring path;
    std::wstring number;
    if (expected >= 1 && !ArgumentText(Argument(params, 0), path)) return DISP_E_TYPEMISMATCH;
    if (expected == 2 && !ArgumentText(Argument(params, 1), number)) return DISP_E_TYPEMISMATCH;
    if (path.size() >= 2 && path.front() == L'"') path = path.substr(1, path.size() - 2);

    bool copied = true;
    switch (id) {
        case kDispInErrore:
            if (result) {
                result->vt = VT_BOOL;
                result->boolVal = terminal_.InErrore() ? VARIANT_TRUE : VARIANT_FALSE;
            }
            break;
        case kDispInviaFile:
            copied = terminal_.Send(path);
            break;
        case kDispRiceviFile:
            copied = terminal_.Receive(_wtoi(number.c_str()), path);
            break;
        default:  // Chiudi
            break;
    }
    if (!copied) return Raise(exception, false, 75, L"Path/File access error");
    return S_OK;
}

HRESULT TerminalControl::SetClientSite(IOleClientSite* site) {
    site_ = kit::ComPtr<IOleClientSite>();
    if (!site) {
        terminal_.Log(L"SetClientSite none");
        return S_OK;
    }
    site->AddRef();
    site_ = kit::ComPtr<IOleClientSite>(site);
    HWND window = nullptr;
    if (auto ole = site_.as<IOleWindow>(); !ole || FAILED(ole->GetWindow(&window)) || !window) {
        terminal_.Log(L"SetClientSite no-window");
        return S_OK;
    }
    siteWindow_ = window;
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, static_cast<int>(std::size(caption)));
    terminal_.Log(L"SetClientSite window \"" + std::wstring(caption) + L"\" " +
                  (IsWindowVisible(window) ? L"visible" : L"hidden"));
    return S_OK;
}

HRESULT TerminalControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = site_.get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

HRESULT TerminalControl::Close(DWORD) {
    terminal_.Log(L"Close");
    return S_OK;
}

HRESULT TerminalControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME;
    return S_OK;
}

}  // namespace vxterm
