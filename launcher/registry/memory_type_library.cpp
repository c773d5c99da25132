#include "registry/memory_type_library.h"

#include <cstdio>

#include "registry/registry_access.h"

namespace lanvik {
namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

void MemoryTypeLibraries::AddFile(const std::string& path, TypeLibraryFile library) {
    files_[Upper(path)] = std::move(library);
}

bool MemoryTypeLibraries::RegisterTypeLibrary(const std::string& path) {
    registered.push_back(path);
    auto found = files_.find(Upper(path));
    if (failOnRequest || found == files_.end()) return false;
    const TypeLibraryFile& library = found->second;
    // What RegisterTypeLib writes for a SYS_WIN32 library with no help folder given: the help
    // folder defaults to the library's own folder.
    const std::string key = "TypeLib\\" + library.libraryId + "\\" + library.version;
    const std::string folder =
        path.substr(0, path.rfind('\\') == std::string::npos ? 0 : path.rfind('\\'));
    Status status =
        WriteStringValue(registry_, RootKey::ClassesRoot, key, "", library.name, kCreateKey);
    if (status == kSuccess)
        status =
            WriteStringValue(registry_, RootKey::ClassesRoot, key + "\\FLAGS", "", "0", kCreateKey);
    if (status == kSuccess)
        status = WriteStringValue(registry_, RootKey::ClassesRoot, key + "\\0\\win32", "", path,
                                  kCreateKey);
    if (status == kSuccess)
        status = WriteStringValue(registry_, RootKey::ClassesRoot, key + "\\HELPDIR", "", folder,
                                  kCreateKey);
    return status == kSuccess;
}

std::string MemoryGuids::NewGuidText() {
    ++made;
    if (!queued.empty()) {
        std::string text = queued.front();
        queued.erase(queued.begin());
        return text;
    }
    char text[64];
    std::snprintf(text, sizeof(text), "{00000000-0000-0000-0000-%012X}", next++);
    return text;
}

}  // namespace lanvik
