// The DLL's own state: its module handle and the count of what keeps it loaded.
#pragma once

#include <windows.h>

namespace reader::com {

HMODULE ThisModule();
void SetThisModule(HMODULE module);

// Live objects and class-factory locks keep the DLL in memory (DllCanUnloadNow).
void ObjectCreated();
void ObjectDestroyed();
void Lock();
void Unlock();
bool CanUnload();

}  // namespace reader::com
