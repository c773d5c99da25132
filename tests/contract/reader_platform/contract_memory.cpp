#include "contract_platform.h"
#include "platform/files/memory_file_system.h"
#include "platform/serial/memory_serial_line.h"

namespace reader {
namespace {

class MemoryFileSystemBench : public FileSystemBench {
  public:
    MemoryFileSystemBench() { files_.folders.insert(kFolder); }
    FileSystem& Files() override { return files_; }
    std::wstring Folder() const override { return kFolder; }
    void PutFile(const std::wstring& path, const std::string& bytes) override {
        files_.files[path] = bytes;
    }
    void SetReadOnly(const std::wstring& path, bool readOnly) override {
        if (readOnly) {
            files_.readOnly.insert(path);
        } else {
            files_.readOnly.erase(path);
        }
    }

  private:
    static constexpr const wchar_t* kFolder = L"C:\\ReaderContract";
    MemoryFileSystem files_;
};

class MemorySerialBench : public SerialBench {
  public:
    MemorySerialBench() : line_(loop_) {
        line_.busyPorts.insert(kBusy);
        line_.existingPorts.erase(kMissing);
        line_.onOutput = [this](std::string_view bytes) {
            if (line_.commPort == kEcho) line_.Receive(std::string(bytes));
        };
    }
    SerialLine& Line() override { return line_; }
    MessageLoop& Loop() override { return loop_; }
    MonotonicClock& Clock() override { return loop_; }
    std::int16_t EchoPort() const override { return kEcho; }
    std::int16_t BusyPort() const override { return kBusy; }
    std::int16_t MissingPort() const override { return kMissing; }

  private:
    static constexpr std::int16_t kEcho = 5;
    static constexpr std::int16_t kBusy = 6;
    static constexpr std::int16_t kMissing = 42;
    MemoryMessageLoop loop_;
    MemorySerialLine line_;
};

}  // namespace

std::unique_ptr<FileSystemBench> MakeFileSystemBench() {
    return std::make_unique<MemoryFileSystemBench>();
}

std::unique_ptr<SerialBench> MakeSerialBench() { return std::make_unique<MemorySerialBench>(); }

}  // namespace reader
