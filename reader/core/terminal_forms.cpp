#include "core/terminal_forms.h"

#include <new>
#include <string>

namespace reader {
namespace {

// The load handler's error trap of the full build: the box, and nothing for the caller.
template <typename Handler>
void UnderErrorTrap(UserInterface& ui, Handler&& handler) {
    RaisedError error(0, {});
    try {
        handler();
        return;
    } catch (const RaisedError& raised) {
        error = raised;
    } catch (const std::bad_alloc&) {
        error = ReaderError(kErrOutOfMemory);
    }
    ui.ShowMessage(error.description, std::to_wstring(error.number), kBoxOk | kBoxIconStop);
}

}  // namespace

void ScaricaVXLogic::Load() {
    if (reduced_) {
        Transfer();
    } else {
        UnderErrorTrap(services_.ui, [this] { Transfer(); });
    }
}

void ScaricaVXLogic::Transfer() {
    // The control sits on the form: it exists before the handler's first step.
    const std::unique_ptr<TerminalControl> control = services_.controls.CreateControl();
    std::wstring destination = kFileRicevutoRidotto;
    if (!reduced_) {
        FileSystem& files = services_.files;
        destination = NomeCartella + L"\\" + NomeFile;
        if (!files.FolderExists(NomeCartella)) files.CreateFolder(NomeCartella);
        // A failed transfer must not leave an older file to be imported in its place.
        if (files.FileExists(destination)) files.DeleteFile(destination);
    }
    if (control->InErrore()) {
        control->Chiudi();
    } else {
        control->RiceviFile(destination, NumeroFile);
    }
}

void CaricaVXLogic::Load() {
    if (reduced_) {
        Transfer();
    } else {
        UnderErrorTrap(services_.ui, [this] { Transfer(); });
    }
}

void CaricaVXLogic::Transfer() {
    const std::unique_ptr<TerminalControl> control = services_.controls.CreateControl();
    std::wstring source = kFileUploadRidotto;
    if (!reduced_) {
        const std::wstring folder = kCartellaLetture;
        if (!services_.files.FolderExists(folder)) services_.files.CreateFolder(folder);
        source = folder + kFileUpload;
    }
    if (control->InErrore()) {
        control->Chiudi();
    } else {
        // Whether the file is there is the control's business.
        control->InviaFile(source, reduced_);
    }
}

}  // namespace reader
