// A host run time whose folder and date the test sets.
#pragma once

#include <string>

#include "platform/programs/host_run_time.h"

namespace reader {

class MemoryHostRunTime : public HostRunTime {
  public:
    std::wstring ApplicationPath() override { return applicationPath; }
    Date Today() override { return today; }

    std::wstring applicationPath = L"C:\\Programmi\\Murello";
    Date today{2024, 3, 15};
};

}  // namespace reader
