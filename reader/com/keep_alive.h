// Holds one reference to a COM object for a scope. A method that processes window messages while
// it waits runs inside one: a host that drops its last reference from a message handler must not
// destroy the object under the running call.
#pragma once

#include <unknwn.h>

namespace reader::com {

class KeepAlive {
  public:
    explicit KeepAlive(IUnknown* object) : object_(object) { object_->AddRef(); }
    ~KeepAlive() { object_->Release(); }
    KeepAlive(const KeepAlive&) = delete;
    KeepAlive& operator=(const KeepAlive&) = delete;

  private:
    IUnknown* object_;
};

}  // namespace reader::com
