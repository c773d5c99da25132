// The file system of the running Windows system.
#pragma once

#include "core/files.h"

namespace lanvik {

class Win32Files : public Files {
  public:
    std::optional<std::string> DesktopFolder() override;
    std::unique_ptr<AppendFile> OpenForAppend(const std::string& path) override;
    bool WriteNewFile(const std::string& path, std::string_view bytes, FileSharing sharing,
                      bool hidden) override;
    std::unique_ptr<HeldFile> OpenHeld(const std::string& path, FileSharing sharing) override;
    bool RemoveFile(const std::string& path) override;
};

}  // namespace lanvik
