#include "platform/terminal/win32_terminal_control.h"

#include <ole2.h>

#include <atomic>
#include <new>
#include <string>

#include "kit/com_ptr.h"
#include "kit/dispatch_call.h"
#include "platform/win32_dispatch.h"

namespace reader {
namespace {

constexpr wchar_t kProgId[] = L"VXTerm.ctlVXTerm";
enum : DISPID {
    kDispInErrore = 0x68030001,
    kDispInviaFile = 0x60030007,
    kDispRiceviFile = 0x60030008,
    kDispChiudi = 0x60030009,
};

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
        : control_(std::move(control)), ole_(control_.as<IOleObject>()) {
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
        kit::DispatchArguments none;
        kit::UniqueVariant result = Call(kDispInErrore, DISPATCH_PROPERTYGET, none, L"InErrore");
        const HRESULT hr = VariantChangeType(result.get(), result.get(), 0, VT_BOOL);
        if (FAILED(hr)) throw ReaderErrorOf(kit::ErrorOfResult(hr, L"InErrore"));
        return V_BOOL(result.get()) != VARIANT_FALSE;
    }

    void InviaFile(const std::wstring& path, bool byValue) override {
        std::wstring text = path;  // the variable handed over by reference
        kit::DispatchArguments arguments;
        byValue ? arguments.Add(text) : arguments.AddRef(text);
        Call(kDispInviaFile, DISPATCH_METHOD, arguments, L"InviaFile");
    }

    void RiceviFile(const std::wstring& path, std::int16_t& numeroFile) override {
        kit::DispatchArguments arguments;
        arguments.Add(path).AddRef(numeroFile);
        Call(kDispRiceviFile, DISPATCH_METHOD, arguments, L"RiceviFile");
    }

    void Chiudi() override {
        kit::DispatchArguments none;
        Call(kDispChiudi, DISPATCH_METHOD, none, L"Chiudi");
    }

  private:
    kit::UniqueVariant Call(DISPID id, WORD flags, kit::DispatchArguments& arguments,
                            const wchar_t* member) {
        return CallRaisingReaderError(
            [&] { return kit::CallDispatch(control_.get(), id, flags, arguments, member); });
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
    HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
    if (SUCCEEDED(hr)) {
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              control.put_void());
    }
    if (FAILED(hr))
        throw ReaderError(kErrCantCreateObject, hr, L"CoCreateInstance VXTerm.ctlVXTerm");
    return std::make_unique<Win32TerminalControl>(std::move(control), window);
}

}  // namespace reader
