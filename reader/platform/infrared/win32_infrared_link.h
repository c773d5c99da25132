// The infrared link through IrLib.dll, loaded at the first call: from the component's own
// folder first, then through the system's usual search. Each call raises RaisedError 53 ("File
// not found: IrLib.dll") when the library cannot be found, 48 when it is found but does not
// load, 453 when it lacks the function.
#pragma once

#include <memory>

#include "platform/infrared/infrared_link.h"

namespace reader {

std::unique_ptr<InfraredLink> CreateWin32InfraredLink();

}  // namespace reader
