// The four entry points of an in-process COM server, shared by every build.
#include <windows.h>
// after windows.h
#include <olectl.h>

#include "com/class_factory.h"
#include "com/registration.h"
#include "com/server_module.h"
#include "murello_idl.h"
#include "platform/database/win32_component_engine.h"
#include "platform/terminal/win32_terminal_forms.h"

namespace {
reader::com::ClassFactory factory;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        reader::com::SetThisModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    if (reason == DLL_PROCESS_DETACH) {
        // COM must not be called from here: the engine objects are forgotten, not released.
        reader::AbandonComponentEngines();
        // Unloaded by FreeLibrary: its window class must go with it. At process end the windows
        // go with the process.
        reserved ? reader::AbandonComponentTerminalForms()
                 : reader::ReleaseComponentTerminalForms();
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_Murello) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    if (!reader::com::CanUnload()) return S_FALSE;
    // No object is left: the forms' windows and the database engine objects end with the
    // component.
    reader::ReleaseComponentTerminalForms();
    reader::ReleaseComponentEngines();
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return reader::com::RegisterServer(); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return reader::com::UnregisterServer(); }
