#include "platform/terminal/win32_terminal_forms.h"

namespace reader {
namespace {

std::shared_ptr<Win32TerminalForms> componentForms;

// The module this code is linked into: the component's DLL.
HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

}  // namespace

Win32TerminalForms::Win32TerminalForms(HMODULE module, const BuildVariant& variant)
    : scaricaWindow_(module, L"Download dati in corso..."),
      caricaWindow_(module, L"Upload dati in corso..."),
      scaricaControls_([this] { return scaricaWindow_.Window(); }),
      caricaControls_([this] { return caricaWindow_.Window(); }),
      scarica_({files_, ui_, scaricaControls_}, HasReducedForms(variant)),
      carica_({files_, ui_, caricaControls_}, HasReducedForms(variant)) {}

void Win32TerminalForms::DestroyWindows() noexcept {
    scaricaWindow_.Destroy();
    caricaWindow_.Destroy();
}

void Win32TerminalForms::AbandonWindows() noexcept {
    scaricaWindow_.Abandon();
    caricaWindow_.Abandon();
}

std::shared_ptr<Win32TerminalForms> ComponentTerminalForms(const BuildVariant& variant) {
    if (!componentForms)
        componentForms = std::make_shared<Win32TerminalForms>(ThisModule(), variant);
    return componentForms;
}

void ReleaseComponentTerminalForms() noexcept {
    if (!componentForms) return;
    componentForms->DestroyWindows();
    componentForms.reset();
    UnregisterFormWindowClass(ThisModule());
}

void AbandonComponentTerminalForms() noexcept {
    if (componentForms) componentForms->AbandonWindows();
}

}  // namespace reader
