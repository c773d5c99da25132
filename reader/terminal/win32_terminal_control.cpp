#include "terminal/win32_terminal_control.h"

#include <ole2.h>
#include <oleauto.h>

#include <atomic>
#include <new>
#include <string>

#include "kit/com_ptr.h"

namespace reader {
namespace {

constexpr wchar_t kProgId[] = L"VXTerm.ctlVXTerm";
enum : DISPID {
    kDispInErrore = 0x68030001,
    kDispInviaFile = 0x60030007,
    kDispRiceviFile = 0x60030008,
    kDispChiudi = 0x60030009,
};

// The number the host reports for a failed late-bound call that carries no exception record.
RaisedError ErrorOfResult(HRESULT hr, const std::wstring& description) {
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) {
        return {HRESULT_CODE(hr), description};
    }
    switch (hr) {
        case E_OUTOFMEMORY:
            return {7, L"Out of memory"};
        case DISP_E_TYPEMISMATCH:
            return {13, L"Type mismatch"};
        case DISP_E_MEMBERNOTFOUND:
        case DISP_E_UNKNOWNNAME:
            return {438, L"Object doesn't support this property or method"};
        case DISP_E_BADPARAMCOUNT:
            return {450, L"Wrong number of arguments or invalid property assignment"};
        default:
            return {static_cast<std::int32_t>(hr),
                    description.empty() ? L"Automation error" : description};
    }
}

// An error that the control raised (DISP_E_EXCEPTION) keeps its number and description.
RaisedError ErrorOfException(EXCEPINFO& exception) {
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    const std::wstring description =
        exception.bstrDescription
            ? std::wstring(exception.bstrDescription, SysStringLen(exception.bstrDescription))
            : std::wstring();
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (exception.wCode != 0) return {exception.wCode, description};
    return ErrorOfResult(exception.scode, description);
}

// The control's client site: what a form gives the controls it holds. It only tells the
// control which window it lives on.
class ClientSite final : public IOleClientSite, public IOleWindow {
  public:
    explicit ClientSite(HWND window) : window_(window) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
            *object = static_cast<IOleClientSite*>(this);
        } else if (riid == IID_IOleWindow) {
            *object = static_cast<IOleWindow*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = window_;
        return window_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  private:
    std::atomic<ULONG> references_{1};
    HWND window_;
};

class Win32TerminalControl : public TerminalControl {
  public:
    Win32TerminalControl(kit::ComPtr<IDispatch> control, HWND window)
        : control_(std::move(control)) {
        ole_ = control_.as<IOleObject>();
        if (!ole_) return;
        kit::ComPtr<IOleClientSite> site(new (std::nothrow) ClientSite(window));
        if (site) ole_->SetClientSite(site.get());
    }
    ~Win32TerminalControl() override {
        if (!ole_) return;
        ole_->Close(OLECLOSE_NOSAVE);
        ole_->SetClientSite(nullptr);
    }

    bool InErrore() override {
        VARIANT result;
        VariantInit(&result);
        Invoke(kDispInErrore, DISPATCH_PROPERTYGET, nullptr, 0, &result);
        const HRESULT hr = VariantChangeType(&result, &result, 0, VT_BOOL);
        const bool inErrore = SUCCEEDED(hr) && result.boolVal != VARIANT_FALSE;
        VariantClear(&result);
        if (FAILED(hr)) throw ErrorOfResult(hr, {});
        return inErrore;
    }

    void InviaFile(const std::wstring& path, bool byValue) override {
        BSTR text = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
        if (!text) throw RaisedError{7, L"Out of memory"};
        VARIANTARG argument;
        VariantInit(&argument);
        if (byValue) {
            argument.vt = VT_BSTR;
            argument.bstrVal = text;
        } else {
            argument.vt = VT_BSTR | VT_BYREF;
            argument.pbstrVal = &text;
        }
        try {
            Invoke(kDispInviaFile, DISPATCH_METHOD, &argument, 1, nullptr);
        } catch (...) {
            SysFreeString(text);  // by reference the control may have put another text there
            throw;
        }
        SysFreeString(text);
    }

    void RiceviFile(const std::wstring& path, std::int16_t& numeroFile) override {
        BSTR text = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
        if (!text) throw RaisedError{7, L"Out of memory"};
        SHORT number = numeroFile;
        VARIANTARG arguments[2];  // last argument first
        VariantInit(&arguments[0]);
        VariantInit(&arguments[1]);
        arguments[0].vt = VT_I2 | VT_BYREF;
        arguments[0].piVal = &number;
        arguments[1].vt = VT_BSTR;
        arguments[1].bstrVal = text;
        try {
            Invoke(kDispRiceviFile, DISPATCH_METHOD, arguments, 2, nullptr);
        } catch (...) {
            SysFreeString(text);
            throw;
        }
        SysFreeString(text);
        numeroFile = number;
    }

    void Chiudi() override { Invoke(kDispChiudi, DISPATCH_METHOD, nullptr, 0, nullptr); }

  private:
    void Invoke(DISPID id, WORD flags, VARIANTARG* arguments, UINT count, VARIANT* result) {
        DISPPARAMS parameters{arguments, nullptr, count, 0};
        EXCEPINFO exception{};
        UINT argumentError = 0;
        VARIANT ignored;
        VariantInit(&ignored);
        const HRESULT hr = control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                            result ? result : &ignored, &exception, &argumentError);
        VariantClear(&ignored);  // results of the methods are not used
        if (hr == DISP_E_EXCEPTION) throw ErrorOfException(exception);
        if (FAILED(hr)) throw ErrorOfResult(hr, {});
    }

    kit::ComPtr<IDispatch> control_;
    kit::ComPtr<IOleObject> ole_;
};

}  // namespace

std::unique_ptr<TerminalControl> Win32TerminalControls::CreateControl() {
    // The form's window exists before the control that is placed on it.
    const HWND window = formWindow_();
    CLSID clsid{};
    kit::ComPtr<IDispatch> control;
    if (FAILED(CLSIDFromProgID(kProgId, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                control.put_void()))) {
        throw CantCreateObjectError();
    }
    return std::make_unique<Win32TerminalControl>(std::move(control), window);
}

}  // namespace reader
