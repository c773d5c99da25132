// The infrared link to the hand-held reader, as the link library IrLib.dll offers it: open on a
// port, send a command, read the reader's answer into a buffer of 100 blanks, close.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace reader {

// What a read fills in place: the answer's characters, at most 100, the rest left as it was.
using InfraredBuffer = std::array<char, 100>;

class InfraredLink {
  public:
    virtual ~InfraredLink() = default;
    // vbOpenIrCom: 1 opened, 0 failed; the library may answer other values.
    virtual std::int32_t Open(std::int32_t port, std::int32_t speed) = 0;
    // WriteIrCom: sends single-byte text as it stands (the caller adds the CR).
    virtual void Write(std::string_view command) = 0;
    // vbReadIrCom: returns when the answer, if any, is in the buffer.
    virtual void Read(InfraredBuffer& buffer) = 0;
    // CloseIrCom.
    virtual void Close() = 0;
};

}  // namespace reader
