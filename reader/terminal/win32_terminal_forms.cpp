#include "terminal/win32_terminal_forms.h"

namespace reader {

Win32TerminalForms::Win32TerminalForms(HMODULE module, bool reduced)
    : scaricaWindow_(module, L"Download dati in corso..."),
      caricaWindow_(module, L"Upload dati in corso..."),
      scaricaControls_([this] { return scaricaWindow_.Window(); }),
      caricaControls_([this] { return caricaWindow_.Window(); }),
      scarica_({files_, ui_, scaricaControls_}, reduced),
      carica_({files_, ui_, caricaControls_}, reduced) {}

void Win32TerminalForms::DestroyWindows() noexcept {
    scaricaWindow_.Destroy();
    caricaWindow_.Destroy();
}

}  // namespace reader
