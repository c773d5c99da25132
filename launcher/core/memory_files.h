// In-memory file system for native tests: files are byte strings keyed by path, and any
// operation can be made to fail on request.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "core/files.h"

namespace lanvik {

class MemoryFiles : public Files {
  public:
    std::optional<std::string> DesktopFolder() override { return desktop; }
    std::unique_ptr<AppendFile> OpenForAppend(const std::string& path) override;

    // Contents by path, exactly as written (paths compared as given).
    std::map<std::string, std::string> files;
    std::optional<std::string> desktop = std::string("C:\\Users\\user\\Desktop");
    bool failOpen = false;
    bool failWrites = false;
};

}  // namespace lanvik
