// The serial line over the Windows communications API (\\.\COMn). A reader thread waits for
// incoming bytes and posts a message to a hidden message-only window created on the calling
// thread, so notifications run on that thread while it processes its messages.
#pragma once

#include <memory>

#include "platform/serial/serial_line.h"

namespace reader {

// Must be called on the thread that will process the notifications; raises RaisedError when
// the notification window cannot be created.
std::unique_ptr<SerialLine> CreateWin32SerialLine();

}  // namespace reader
