// The file system of the running Windows system.
#pragma once

#include "core/files.h"

namespace lanvik {

class Win32Files : public Files {
  public:
    std::optional<std::string> DesktopFolder() override;
    std::unique_ptr<AppendFile> OpenForAppend(const std::string& path) override;
};

}  // namespace lanvik
