#include "com/class_factory.h"

#include "com/murello_object.h"
#include "com/server_module.h"

namespace reader::com {

HRESULT ClassFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// A reference to the class object counts as a lock, so that the DLL stays while a client holds it.
ULONG ClassFactory::AddRef() {
    Lock();
    return 2;
}

ULONG ClassFactory::Release() {
    Unlock();
    return 1;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return MurelloObject::Create(riid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    if (lock)
        Lock();
    else
        Unlock();
    return S_OK;
}

}  // namespace reader::com
