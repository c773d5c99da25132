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

class MemoryHeldFile : public HeldFile {
  public:
    MemoryHeldFile(MemoryFiles& owner, std::string path, FileSharing sharing)
        : owner_(owner), path_(std::move(path)) {
        holder_ = owner_.held.emplace(path_, sharing);
    }
    ~MemoryHeldFile() override { owner_.held.erase(holder_); }
    std::optional<std::string> ReadAll() override {
        auto file = owner_.files.find(path_);
        if (file == owner_.files.end()) return {};
        return file->second;
    }

  private:
    MemoryFiles& owner_;
    std::string path_;
    std::multimap<std::string, FileSharing>::iterator holder_;
};

}  // namespace

std::unique_ptr<AppendFile> MemoryFiles::OpenForAppend(const std::string& path) {
    if (failOpen || IsHeld(path)) return nullptr;
    files[path];  // created when missing, kept otherwise
    return std::make_unique<MemoryAppendFile>(*this, path);
}

bool MemoryFiles::WriteNewFile(const std::string& path, std::string_view bytes, FileSharing,
                               bool makeHidden) {
    // A held file admits no writer, whatever its sharing.
    if (failOpen || IsHeld(path)) return false;
    files[path] = failWrites ? std::string() : std::string(bytes);
    if (makeHidden) {
        hidden.insert(path);
    } else {
        hidden.erase(path);
    }
    if (afterWrite) afterWrite(path);
    return !failWrites;
}

std::unique_ptr<HeldFile> MemoryFiles::OpenHeld(const std::string& path, FileSharing sharing) {
    if (failOpen || files.count(path) == 0) return nullptr;
    auto [first, last] = held.equal_range(path);
    for (auto holder = first; holder != last; ++holder) {
        if (holder->second == FileSharing::None || sharing == FileSharing::None) return nullptr;
    }
    return std::make_unique<MemoryHeldFile>(*this, path, sharing);
}

bool MemoryFiles::RemoveFile(const std::string& path) {
    if (failDelete || IsHeld(path)) return false;
    hidden.erase(path);
    return files.erase(path) != 0;
}

}  // namespace lanvik
