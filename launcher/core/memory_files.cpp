#include "core/memory_files.h"

namespace lanvik {
namespace {

class MemoryAppendFile : public AppendFile {
  public:
    MemoryAppendFile(MemoryFiles& owner, std::string path)
        : owner_(owner), path_(std::move(path)) {}
    bool Write(std::string_view bytes) override {
        if (owner_.failWrites) return false;
        owner_.files[path_].append(bytes);
        return true;
    }

  private:
    MemoryFiles& owner_;
    std::string path_;
};

}  // namespace

std::unique_ptr<AppendFile> MemoryFiles::OpenForAppend(const std::string& path) {
    if (failOpen) return nullptr;
    files[path];  // created when missing, kept otherwise
    return std::make_unique<MemoryAppendFile>(*this, path);
}

}  // namespace lanvik
