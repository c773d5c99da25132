#include "platform/terminal/memory_terminal_control.h"

namespace reader {

class MemoryTerminalControl : public TerminalControl {
  public:
    explicit MemoryTerminalControl(MemoryTerminal& terminal) : terminal_(terminal) {
        ++terminal_.liveControls;
        terminal_.calls.push_back(L"create");
    }
    ~MemoryTerminalControl() override {
        --terminal_.liveControls;
        terminal_.calls.push_back(L"release");
    }

    bool InErrore() override {
        Record(L"InErrore", L"");
        return terminal_.inErrore;
    }
    void InviaFile(const std::wstring& path, bool byValue) override {
        Record(L"InviaFile", (byValue ? L" byval \"" : L" byref \"") + path + L"\"");
        // A missing file sends nothing, as the stand-in control does.
        if (const auto file = terminal_.files_.files.find(path);
            file != terminal_.files_.files.end()) {
            terminal_.sent[path] = file->second;
        }
    }
    void RiceviFile(const std::wstring& path, std::int16_t& numeroFile) override {
        Record(L"RiceviFile", L" \"" + path + L"\" byref " + std::to_wstring(numeroFile));
        const auto file = terminal_.terminalFiles.find(numeroFile);
        if (file == terminal_.terminalFiles.end()) return;
        const auto slash = path.find_last_of(L'\\');
        if (slash == std::wstring::npos || !terminal_.files_.FolderExists(path.substr(0, slash))) {
            throw ReaderError(kErrPathFileAccessError, 0, L"RiceviFile " + path);
        }
        terminal_.files_.files[path] = file->second;
    }
    void Chiudi() override { Record(L"Chiudi", L""); }

  private:
    void Record(const std::wstring& member, const std::wstring& arguments) {
        terminal_.calls.push_back(member + arguments);
        if (const auto failure = terminal_.failures.find(member);
            failure != terminal_.failures.end()) {
            throw failure->second;
        }
    }

    MemoryTerminal& terminal_;
};

std::unique_ptr<TerminalControl> MemoryTerminal::CreateControl() {
    if (!registered) throw ReaderError(kErrCantCreateObject, 0, L"VXTerm.ctlVXTerm");
    return std::make_unique<MemoryTerminalControl>(*this);
}

}  // namespace reader
