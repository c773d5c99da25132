// The serial line the barcode pen is read over: the operations of the platform's serial
// communications control that the reader relies on, with the same results and error numbers.
// Every operation raises RaisedError on failure, with the control's numbers (kErrPort..., 380).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/errors.h"

namespace reader {

// Values of CommEvent.
enum : std::int16_t {
    kCommEventSend = 1,
    kCommEventReceive = 2,
    kCommEventBreak = 1001,
    kCommEventFrame = 1004,
    kCommEventOverrun = 1006,
};

class SerialLine {
  public:
    virtual ~SerialLine() = default;

    // Port number used by the next open (1 and up); not while the port is open.
    virtual void SetCommPort(std::int16_t port) = 0;
    virtual std::int16_t CommPort() const = 0;
    // Opens or closes the port. Opening raises 8005 when the port is open already or held by
    // another program, 8002 when there is no such port. Closing a closed port does nothing.
    virtual void SetPortOpen(bool open) = 0;
    virtual bool PortOpen() const = 0;

    // Line configuration: "baud,parity,data bits,stop bits" (e.g. "38400,n,8,1").
    virtual void SetSettings(std::string_view settings) = 0;
    virtual void SetHandshaking(std::int16_t mode) = 0;  // 0 none, 1 XON/XOFF, 2 RTS, 3 both
    virtual void SetInBufferSize(std::int16_t bytes) = 0;
    virtual void SetOutBufferSize(std::int16_t bytes) = 0;
    virtual void SetRThreshold(std::int16_t bytes) = 0;  // receive notification per N bytes
    virtual void SetSThreshold(std::int16_t bytes) = 0;
    virtual void SetInputLen(std::int16_t bytes) = 0;  // 0: Input returns everything waiting
    virtual void SetEOFEnable(bool enable) = 0;
    virtual void SetNullDiscard(bool discard) = 0;
    virtual void SetRTSEnable(bool enable) = 0;
    virtual void SetDTREnable(bool enable) = 0;

    // Sends the bytes at once (port must be open).
    virtual void Output(std::string_view bytes) = 0;
    // Every byte waiting in the input buffer (at most InputLen), removed from it.
    virtual std::string Input() = 0;
    // The reason for the latest notification.
    virtual std::int16_t CommEvent() const = 0;

    // Called on the owning object's thread, between the messages it processes, for every
    // communication event (while the port is open).
    virtual void SetOnComm(std::function<void()> handler) = 0;
};

}  // namespace reader
