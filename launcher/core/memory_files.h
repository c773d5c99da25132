// In-memory file system for native tests: files are byte strings keyed by path, and any
// operation can be made to fail on request.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "core/files.h"

namespace lanvik {

class MemoryFiles : public Files {
  public:
    std::optional<std::string> DesktopFolder() override { return desktop; }
    std::unique_ptr<AppendFile> OpenForAppend(const std::string& path) override;
    bool WriteNewFile(const std::string& path, std::string_view bytes, FileSharing sharing,
                      bool hidden) override;
    std::unique_ptr<HeldFile> OpenHeld(const std::string& path, FileSharing sharing) override;
    bool RemoveFile(const std::string& path) override;

    // Whether the file is held open by the launcher right now, and how.
    bool IsHeld(const std::string& path) const { return held.count(path) != 0; }

    // Contents by path, exactly as written (paths compared as given).
    std::map<std::string, std::string> files;
    // Paths of the files that carry the hidden attribute.
    std::set<std::string> hidden;
    // Files held open, with the sharing each holder allows (one entry per holder).
    std::multimap<std::string, FileSharing> held;
    std::optional<std::string> desktop = std::string("C:\\Users\\user\\Desktop");
    bool failOpen = false;
    bool failWrites = false;
    bool failDelete = false;
    // Called after WriteNewFile has closed the file: another program's chance to interfere.
    std::function<void(const std::string& path)> afterWrite;
};

}  // namespace lanvik
