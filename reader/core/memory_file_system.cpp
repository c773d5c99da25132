#include "core/memory_file_system.h"

namespace reader {
namespace {

std::wstring ParentOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// A drive root ("C:") always exists.
bool IsRoot(const std::wstring& path) { return path.size() == 2 && path[1] == L':'; }

}  // namespace

bool MemoryFileSystem::FolderExists(const std::wstring& path) {
    return IsRoot(path) || folders.contains(path);
}

void MemoryFileSystem::CreateFolder(const std::wstring& path) {
    if (FolderExists(path) || files.contains(path)) throw FileSystemError(kErrFileAlreadyExists);
    if (!FolderExists(ParentOf(path))) throw FileSystemError(kErrPathNotFound);
    folders.insert(path);
}

bool MemoryFileSystem::FileExists(const std::wstring& path) { return files.contains(path); }

void MemoryFileSystem::DeleteFile(const std::wstring& path) {
    if (!files.contains(path)) throw FileSystemError(kErrFileNotFound);
    if (readOnly.contains(path)) throw FileSystemError(kErrPermissionDenied);
    files.erase(path);
}

void MemoryFileSystem::MoveFile(const std::wstring& from, const std::wstring& to) {
    auto source = files.find(from);
    if (source == files.end()) throw FileSystemError(kErrFileNotFound);
    if (files.contains(to) || folders.contains(to)) throw FileSystemError(kErrFileAlreadyExists);
    std::string bytes = std::move(source->second);
    files.erase(source);
    files[to] = std::move(bytes);
    if (readOnly.erase(from) != 0) readOnly.insert(to);
}

std::unique_ptr<TextReader> MemoryFileSystem::OpenTextFile(const std::wstring& path) {
    auto file = files.find(path);
    if (file == files.end()) throw FileSystemError(kErrFileNotFound);
    return std::make_unique<BufferTextReader>(file->second);
}

}  // namespace reader
