// The host run time of the running Windows system, for the component's own module.
#pragma once

#include "platform/programs/host_run_time.h"

namespace reader {

class Win32HostRunTime : public HostRunTime {
  public:
    std::wstring ApplicationPath() override;
    Date Today() override;
};

}  // namespace reader
