// Self-registration: the type library, the class with its in-process server, and the ProgID.
#pragma once

#include <windows.h>

namespace reader::com {

HRESULT RegisterServer();
// Removes what RegisterServer wrote.
HRESULT UnregisterServer();

}  // namespace reader::com
