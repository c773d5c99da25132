// The serial control's rules for its settings, which both serial lines obey: the parser of the
// "baud,parity,data bits,stop bits" text and the range checks of the port number, buffer sizes,
// thresholds and handshaking, with "not while the port is open". Kept out of the Windows line so
// that the in-memory one cannot accept what Windows refuses. Each check raises RaisedError.
#pragma once

#include <cstdint>
#include <string_view>

namespace reader {

struct LineSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OnePointFive, Two };
    std::uint32_t baud = 9600;
    Parity parity = Parity::None;
    std::uint8_t dataBits = 8;
    StopBits stopBits = StopBits::One;
};

// "38400,n,8,1": a decimal speed, parity n/e/o/m/s (either case), 4 to 8 data bits, 1, 1.5 or 2
// stop bits; blanks are ignored. Anything else raises 380.
LineSettings ParseLineSettings(std::string_view text);

// Port numbers 1 to 255; 8000 while the port is open, 8002 outside the range.
void CheckCommPort(std::int16_t port, bool portOpen);
// InBufferSize, OutBufferSize: 8000 while the port is open, 380 when not positive.
void CheckBufferSize(std::int16_t bytes, bool portOpen);
// RThreshold, SThreshold, InputLen: 380 when negative.
void CheckCount(std::int16_t bytes);
// 0 none, 1 XON/XOFF, 2 RTS, 3 both; 380 otherwise.
void CheckHandshaking(std::int16_t mode);

}  // namespace reader
