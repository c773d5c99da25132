// The type library that the DLL carries as a resource, loaded once per process. It describes the
// class and its interface; dispatch and registration both read it from here.
#pragma once

#include <windows.h>
// after windows.h
#include <oaidl.h>

#include <string>

#include "com/class_registration.h"
#include "kit/com_ptr.h"

namespace reader::com {

class ComponentTypeLibrary {
  public:
    // Loads the library on the first call; later calls return the same one.
    static HRESULT Get(const ComponentTypeLibrary** library);

    ITypeLib* library() const { return library_.get(); }
    // The dispatch view of the default interface, as clients ask for it.
    ITypeInfo* dispatchInfo() const { return dispatchInfo_.get(); }
    // The vtable view of the same interface, through which calls are made.
    ITypeInfo* interfaceInfo() const { return interfaceInfo_.get(); }
    const std::wstring& progId() const { return progId_; }
    const ClassIdentity& identity() const { return identity_; }
    const TLIBATTR& attributes() const { return attributes_; }

    // Reads the library from the DLL's resources; Get calls it once.
    HRESULT load();

  private:
    kit::ComPtr<ITypeLib> library_;
    kit::ComPtr<ITypeInfo> dispatchInfo_;
    kit::ComPtr<ITypeInfo> interfaceInfo_;
    TLIBATTR attributes_{};
    ClassIdentity identity_;
    std::wstring progId_;
};

}  // namespace reader::com
