// A DLL of the prefix registered with regsvr32 for the life of the object, for GoogleTest
// programs: a registration or unregistration that fails is a test failure.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "e2e/harness.h"

namespace e2e {

class RegisteredDll {
  public:
    // windows_path: the DLL inside the prefix (see CopyIntoPrefix).
    explicit RegisteredDll(std::string windows_path) : dll_(std::move(windows_path)) {
        Check(Regsvr32(dll_));
    }
    ~RegisteredDll() { Check(Regsvr32(dll_, true)); }
    RegisteredDll(const RegisteredDll&) = delete;
    RegisteredDll& operator=(const RegisteredDll&) = delete;

  private:
    void Check(const ProcessResult& result) const {
        EXPECT_FALSE(result.timed_out);
        EXPECT_EQ(result.exit_code, 0) << "regsvr32 " << dll_ << ": " << result.err;
    }
    std::string dll_;
};

}  // namespace e2e
