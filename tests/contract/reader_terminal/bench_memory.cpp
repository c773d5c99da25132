#include "platform/files/memory_file_system.h"
#include "platform/terminal/memory_terminal_control.h"
#include "terminal_bench.h"

namespace reader {
namespace {

class MemoryTerminalBench : public TerminalBench {
  public:
    MemoryTerminalBench() { files_.folders.insert(Folder()); }

    TerminalControlFactory& Controls() override { return terminal_; }
    std::wstring Folder() const override { return L"C:\\contract"; }
    void PutFile(const std::wstring& path, const std::string& bytes) override {
        files_.files[path] = bytes;
    }
    std::optional<std::string> GetFile(const std::wstring& path) override {
        const auto file = files_.files.find(path);
        if (file == files_.files.end()) return std::nullopt;
        return file->second;
    }
    void SetTerminalFile(std::int16_t number, const std::string& bytes) override {
        terminal_.terminalFiles[number] = bytes;
    }
    void SetInErrore(bool inErrore) override { terminal_.inErrore = inErrore; }
    void SetFailure(const std::wstring& member, const RaisedError& error) override {
        terminal_.failures.insert_or_assign(member, error);
    }
    std::optional<std::string> Sent() override {
        if (terminal_.sent.empty()) return std::nullopt;
        return terminal_.sent.begin()->second;
    }

  private:
    MemoryFileSystem files_;
    MemoryTerminal terminal_{files_};
};

}  // namespace

std::unique_ptr<TerminalBench> MakeTerminalBench() {
    return std::make_unique<MemoryTerminalBench>();
}

}  // namespace reader
