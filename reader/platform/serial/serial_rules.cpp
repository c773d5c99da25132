#include "platform/serial/serial_rules.h"

#include <string>

#include "core/errors.h"

namespace reader {
namespace {

[[noreturn]] void Refuse(std::string_view what) {
    throw ReaderError(kErrInvalidPropertyValue, 0,
                      L"serial setting " + std::wstring(what.begin(), what.end()));
}

LineSettings::Parity ParityOf(const std::string& text) {
    if (text.size() != 1) Refuse("parity");
    switch (text[0]) {
        case 'n':
        case 'N':
            return LineSettings::Parity::None;
        case 'e':
        case 'E':
            return LineSettings::Parity::Even;
        case 'o':
        case 'O':
            return LineSettings::Parity::Odd;
        case 'm':
        case 'M':
            return LineSettings::Parity::Mark;
        case 's':
        case 'S':
            return LineSettings::Parity::Space;
        default:
            Refuse("parity");
    }
}

}  // namespace

LineSettings ParseLineSettings(std::string_view text) {
    std::string parts[4];
    int index = 0;
    for (char c : text) {
        if (c == ',') {
            if (++index > 3) Refuse("Settings");
        } else if (c != ' ') {
            parts[index] += c;
        }
    }
    if (index != 3 || parts[0].empty()) Refuse("Settings");
    LineSettings result;
    result.baud = 0;
    for (char c : parts[0]) {
        if (c < '0' || c > '9' || result.baud > 10000000) Refuse("baud");
        result.baud = result.baud * 10 + static_cast<std::uint32_t>(c - '0');
    }
    result.parity = ParityOf(parts[1]);
    if (parts[2].size() != 1 || parts[2][0] < '4' || parts[2][0] > '8') Refuse("data bits");
    result.dataBits = static_cast<std::uint8_t>(parts[2][0] - '0');
    if (parts[3] == "1") {
        result.stopBits = LineSettings::StopBits::One;
    } else if (parts[3] == "1.5") {
        result.stopBits = LineSettings::StopBits::OnePointFive;
    } else if (parts[3] == "2") {
        result.stopBits = LineSettings::StopBits::Two;
    } else {
        Refuse("stop bits");
    }
    return result;
}

void CheckCommPort(std::int16_t port, bool portOpen) {
    if (portOpen) throw ReaderError(kErrPortOpen, 0, L"CommPort");
    if (port < 1 || port > 255) throw ReaderError(kErrPortInvalid, 0, L"CommPort");
}

void CheckBufferSize(std::int16_t bytes, bool portOpen) {
    if (portOpen) throw ReaderError(kErrPortOpen, 0, L"buffer size");
    if (bytes <= 0) Refuse("buffer size");
}

void CheckCount(std::int16_t bytes) {
    if (bytes < 0) Refuse("threshold or input length");
}

void CheckHandshaking(std::int16_t mode) {
    if (mode < 0 || mode > 3) Refuse("Handshaking");
}

}  // namespace reader
