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

// Whether other openers may read a file while the launcher has it open. Nobody else may ever
// write, delete or rename it meanwhile.
enum class FileSharing { None, Read };

// An existing file kept open: while the object lives, no other program can alter, delete or
// replace the file (and with FileSharing::None not even read it).
class HeldFile {
  public:
    virtual ~HeldFile() = default;
    // The whole content, as long as the file system reports; nothing when it cannot be read.
    virtual std::optional<std::string> ReadAll() = 0;
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

    // Creates the file, replacing any existing one, writes the bytes in one write and closes
    // it; hidden gives it the hidden attribute. False when it was not created or not written
    // completely.
    virtual bool WriteNewFile(const std::string& path, std::string_view bytes, FileSharing sharing,
                              bool hidden) = 0;
    // Opens an existing file for reading and holds it; nothing when it is missing or another
    // program has it open in a way that conflicts.
    virtual std::unique_ptr<HeldFile> OpenHeld(const std::string& path, FileSharing sharing) = 0;
    // False when the file is missing or cannot be deleted.
    virtual bool RemoveFile(const std::string& path) = 0;
};

}  // namespace lanvik
