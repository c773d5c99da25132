// The launcher's view of the file system: only what its logic needs, so that the same logic runs
// against Windows and against an in-memory file system in tests.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lanvik {

// A file opened for writing at its end.
class AppendFile {
  public:
    virtual ~AppendFile() = default;
    // Writes all bytes; false when the write did not take effect.
    virtual bool Write(std::string_view bytes) = 0;
};

class Files {
  public:
    virtual ~Files() = default;
    // The current user's desktop folder (no trailing backslash), or nothing when the system
    // cannot tell.
    virtual std::optional<std::string> DesktopFolder() = 0;
    // Opens a file for writing at its end, creating it when missing and keeping what it holds;
    // other programs may read it meanwhile. Nothing when it cannot be opened.
    virtual std::unique_ptr<AppendFile> OpenForAppend(const std::string& path) = 0;
};

}  // namespace lanvik
