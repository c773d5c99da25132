#include "platform/files/memory_file_system.h"

namespace reader {
namespace {

// Upper case as Windows folds file names, for the characters of Windows-1252.
wchar_t FoldCase(wchar_t c) {
    if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c == 0x153) return 0x152;
    if (c == 0x161) return 0x160;
    if (c == 0x17E) return 0x17D;
    return c;
}

std::wstring Normalized(const std::wstring& path) {
    std::wstring key;
    key.reserve(path.size());
    for (wchar_t c : path) key += c == L'/' ? L'\\' : FoldCase(c);
    while (key.size() > 1 && key.back() == L'\\') key.pop_back();
    return key;
}

std::wstring ParentOf(const std::wstring& path) {
    const std::wstring normal = Normalized(path);
    const auto slash = normal.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : normal.substr(0, slash);
}

// A drive root ("C:", "C:\") always exists.
bool IsRoot(const std::wstring& path) {
    const std::wstring normal = Normalized(path);
    return normal.size() == 2 && normal[1] == L':';
}

}  // namespace

bool PathLess::operator()(const std::wstring& a, const std::wstring& b) const {
    return Normalized(a) < Normalized(b);
}

bool MemoryFileSystem::FolderExists(const std::wstring& path) {
    return IsRoot(path) || folders.contains(path);
}

void MemoryFileSystem::CreateFolder(const std::wstring& path) {
    if (FolderExists(path) || files.contains(path)) throw ReaderError(kErrFileAlreadyExists);
    if (!FolderExists(ParentOf(path))) throw ReaderError(kErrPathNotFound);
    folders.insert(path);
}

bool MemoryFileSystem::FileExists(const std::wstring& path) { return files.contains(path); }

void MemoryFileSystem::DeleteFile(const std::wstring& path) {
    if (!files.contains(path)) throw MissingFileError(path);
    if (readOnly.contains(path)) throw ReaderError(kErrPermissionDenied);
    files.erase(path);
}

void MemoryFileSystem::MoveFile(const std::wstring& from, const std::wstring& to) {
    auto source = files.find(from);
    if (source == files.end()) throw MissingFileError(from);
    if (!FolderKnown(ParentOf(to))) throw ReaderError(kErrPathNotFound);
    // A new spelling of the same name only renames.
    const bool sameFile = !PathLess{}(from, to) && !PathLess{}(to, from);
    if (!sameFile && (files.contains(to) || folders.contains(to))) {
        throw ReaderError(kErrFileAlreadyExists);
    }
    std::string bytes = std::move(source->second);
    files.erase(source);
    files[to] = std::move(bytes);
    if (readOnly.erase(from) != 0) readOnly.insert(to);
}

bool MemoryFileSystem::FolderKnown(const std::wstring& folder) {
    if (FolderExists(folder)) return true;
    const std::wstring normal = Normalized(folder);
    for (const auto& file : files) {
        if (ParentOf(file.first) == normal) return true;
    }
    return false;
}

RaisedError MemoryFileSystem::MissingFileError(const std::wstring& path) {
    return ReaderError(FolderKnown(ParentOf(path)) ? kErrFileNotFound : kErrPathNotFound);
}

std::unique_ptr<TextReader> MemoryFileSystem::OpenTextFile(const std::wstring& path) {
    auto file = files.find(path);
    if (file == files.end()) throw MissingFileError(path);
    return std::make_unique<BufferTextReader>(file->second);
}

void MemoryFileSystem::WriteTextFile(const std::wstring& path, std::string_view bytes) {
    if (!FolderKnown(ParentOf(path))) throw ReaderError(kErrPathNotFound);
    if (readOnly.contains(path) || FolderExists(path)) throw ReaderError(kErrPathFileAccessError);
    files[path] = std::string(bytes);
}

}  // namespace reader
