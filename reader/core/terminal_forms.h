// The two hidden terminal forms, apart from their windows: ScaricaVX receives a terminal file,
// CaricaVX sends "file_up.tmp". Loading a form runs its load handler, which does the whole
// transfer through a control made for that load and released before the load returns.
//
// Full build: the handler reports any error in a critical box (description as text, number as
// title) and the caller learns nothing. Murello113: fixed files, no folder handling, and errors
// are raised to the caller instead.
#pragma once

#include "core/build_variant.h"
#include "core/forms.h"
#include "platform/files/file_system.h"
#include "platform/terminal/terminal_control.h"
#include "platform/ui/user_interface.h"

namespace reader {

inline constexpr wchar_t kCartellaLetture[] = L"C:\\_Letture\\";
inline constexpr wchar_t kFileUpload[] = L"file_up.tmp";
inline constexpr wchar_t kFileRicevutoRidotto[] = L"C:\\TEMPFOX.TMP";
inline constexpr wchar_t kFileUploadRidotto[] = L"C:\\file_up.tmp";

struct TerminalFormServices {
    FileSystem& files;
    UserInterface& ui;
    TerminalControlFactory& controls;
};

// Whether a build carries the reduced forms (fixed files, no error trap).
inline bool HasReducedForms(const BuildVariant& variant) {
    return variant.build == ReaderBuild::Murello113;
}

class ScaricaVXLogic : public ScaricaVXForm {
  public:
    ScaricaVXLogic(TerminalFormServices services, bool reduced)
        : services_(services), reduced_(reduced) {}

    // Full build: receives into NomeCartella + "\" + NomeFile; never throws RaisedError.
    // Reduced build: receives into "C:\TEMPFOX.TMP"; raises what fails.
    void Load() override;
    void Unload() override {}

  private:
    void Transfer();

    TerminalFormServices services_;
    bool reduced_;
};

class CaricaVXLogic : public CaricaVXForm {
  public:
    CaricaVXLogic(TerminalFormServices services, bool reduced)
        : services_(services), reduced_(reduced) {}

    // Full build: sends "C:\_Letture\file_up.tmp" by reference; never throws RaisedError.
    // Reduced build: sends "C:\file_up.tmp" by value; raises what fails.
    void Load() override;
    void Unload() override {}

  private:
    void Transfer();

    TerminalFormServices services_;
    bool reduced_;
};

}  // namespace reader
