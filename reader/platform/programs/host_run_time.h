// What the reader asks of the host run time besides its services: the folder of the component's
// own file (the application-path property, which for an in-process component is the folder of
// the library, not of the host program) and today's date.
#pragma once

#include <string>

#include "core/conversions.h"

namespace reader {

class HostRunTime {
  public:
    virtual ~HostRunTime() = default;
    // The folder without a final "\" (a drive's root keeps its own: "C:\").
    virtual std::wstring ApplicationPath() = 0;
    // Today's date on the machine's clock, in local time.
    virtual Date Today() = 0;
};

}  // namespace reader
