// Defines the build's identifiers (class, interface, library) once, from its generated header.
#include <windows.h>
// before the generated header, so that its DEFINE_GUIDs define instead of declare
#include <initguid.h>

#include "murello_idl.h"
