// The two hidden terminal forms, apart from their windows: ScaricaVX receives a terminal file,
// CaricaVX sends "file_up.tmp". Loading a form runs its load handler, which does the whole
// transfer through a control made for that load and released before the load returns.
//
// Full build: the handler reports any error in a critical box (description as text, number as
// title) and the caller learns nothing. Reduced build (Murello113): fixed files, no folder
// handling, and errors are raised to the caller instead.
#pragma once

#include <cstdint>
#include <string>

#include "core/file_system.h"
#include "core/user_interface.h"
#include "terminal/terminal_control.h"

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

class ScaricaVXLogic {
  public:
    ScaricaVXLogic(TerminalFormServices services, bool reduced)
        : services_(services), reduced_(reduced) {}

    // Kept between loads; setting them runs nothing.
    std::int16_t NumeroFile = 0;
    std::wstring NomeFile;
    std::wstring NomeCartella;

    // Full build: receives into NomeCartella + "\" + NomeFile; never throws RaisedError.
    // Reduced build: receives into "C:\TEMPFOX.TMP"; raises what fails.
    void Load();
    void Unload() {}

  private:
    void Transfer();

    TerminalFormServices services_;
    bool reduced_;
};

class CaricaVXLogic {
  public:
    CaricaVXLogic(TerminalFormServices services, bool reduced)
        : services_(services), reduced_(reduced) {}

    // Full build: sends "C:\_Letture\file_up.tmp" by reference; never throws RaisedError.
    // Reduced build: sends "C:\file_up.tmp" by value; raises what fails.
    void Load();
    void Unload() {}

  private:
    void Transfer();

    TerminalFormServices services_;
    bool reduced_;
};

}  // namespace reader
