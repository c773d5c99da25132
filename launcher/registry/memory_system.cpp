#include "registry/memory_system.h"

namespace lanvik {
namespace {

std::string UpperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

bool MemorySystem::QueryOsVersion(OsVersion& result) {
    if (!version) return false;
    result = *version;
    return true;
}

bool MemorySystem::ShellFolderPath(int folderId, std::string& folder) {
    if (!commonFilesFolder) return false;
    if (folderId == kCommonProgramFilesFolder) folder = *commonFilesFolder;
    return true;
}

bool MemorySystem::FileExists(const std::string& path) {
    return files_.count(UpperCase(path)) != 0;
}

// Opening with backup semantics succeeds for a file as well.
bool MemorySystem::FolderExists(const std::string& path) {
    return folders_.count(UpperCase(path)) != 0 || files_.count(UpperCase(path)) != 0;
}

void MemorySystem::AddFile(const std::string& path) { files_.insert(UpperCase(path)); }

void MemorySystem::AddFolder(const std::string& path) { folders_.insert(UpperCase(path)); }

void MemorySystem::RemoveFile(const std::string& path) { files_.erase(UpperCase(path)); }

}  // namespace lanvik
