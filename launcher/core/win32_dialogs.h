// Message boxes of the running Windows system.
#pragma once

#include "core/dialogs.h"

namespace lanvik {

class Win32Dialogs : public Dialogs {
  public:
    int ShowMessage(const std::string& text, const std::string& title, unsigned style) override;
};

}  // namespace lanvik
