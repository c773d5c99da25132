// The reader component's object, apart from COM: its stored properties and one call per public
// method. The COM shell (reader/com) owns one of these per Murello object and forwards every call
// to it. A method whose behaviour a later feature brings raises 445 naming itself until that
// feature overrides it here; the shell needs no change then.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/build_variant.h"
#include "core/errors.h"

namespace reader {

// The optional by-reference arguments of Scarica2 and Scarica_RovovaDeru, with their defaults.
// Whatever the method leaves in them goes back to the caller's variables.
struct ReaderProgramOptions {
    std::int32_t PortaCOM = 1;  // Scarica_COM
    std::int32_t Baud = 1;      // Scarica_Baud
    std::int32_t ModFile = 1;   // Scarica_ModFile
    bool CR = true;
    bool LF = true;
    bool MostraErrore = false;
    bool MostraFile = false;
    bool MostraMaschera = false;
    std::int16_t Timeout = 10;
};

class Murello {
  public:
    virtual ~Murello() = default;

    // Plain stored values; no accessor has a side effect.
    std::int32_t Porta = 0;
    std::wstring DbPath;
    std::int16_t IdUt = 0;

    virtual void Scarica() = 0;
    virtual void Scarica1();
    virtual void Scarica3();
    virtual void Scarica4();
    virtual void Scarica5();
    virtual void Scarica_RimesseOF();
    virtual void Scarica2(std::wstring& PercorsoMDB, std::wstring& PercorsoFile,
                          ReaderProgramOptions& options);
    virtual void Scarica_RovovaDeru(std::wstring& MDB_TabellaTemp, std::wstring& FileTxtTemp,
                                    ReaderProgramOptions& options);
    virtual void Upload1();
};

// The error of a member that is in the interface but not built yet: 445 with the member's name.
RaisedError NotAvailableYet(const wchar_t* member);

// Creates the object with the Windows serial line, database, file and message-box services, each
// made when a download first needs it, behaving as the given build.
std::unique_ptr<Murello> CreateMurello(const BuildVariant& variant);

}  // namespace reader
