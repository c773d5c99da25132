#include "core/murello.h"

namespace reader {

RaisedError NotAvailableYet(const wchar_t* member) {
    return ReaderErrorWithText(
        kErrActionNotSupported,
        ErrorText(kErrActionNotSupported) + L": " + member + L" is not available yet", 0, member);
}

void Murello::Scarica1() { throw NotAvailableYet(L"Scarica1"); }
void Murello::Scarica3() { throw NotAvailableYet(L"Scarica3"); }
void Murello::Scarica4() { throw NotAvailableYet(L"Scarica4"); }
void Murello::Scarica5() { throw NotAvailableYet(L"Scarica5"); }
void Murello::Scarica_RimesseOF() { throw NotAvailableYet(L"Scarica_RimesseOF"); }
void Murello::Scarica2(std::wstring&, std::wstring&, ReaderProgramOptions&) {
    throw NotAvailableYet(L"Scarica2");
}
void Murello::Scarica_RovovaDeru(std::wstring&, std::wstring&, ReaderProgramOptions&) {
    throw NotAvailableYet(L"Scarica_RovovaDeru");
}
void Murello::Upload1() { throw NotAvailableYet(L"Upload1"); }

}  // namespace reader
