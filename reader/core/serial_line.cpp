#include "core/serial_line.h"

namespace reader {

RaisedError SerialError(std::int32_t number) {
    switch (number) {
        case kErrInvalidPropertyValue:
            return {number, L"Invalid property value"};
        case kErrPortOpen:
            return {number, L"Operation not valid while the port is opened"};
        case kErrPortInvalid:
            return {number, L"Invalid Port Number"};
        case kErrPortAlreadyOpen:
            return {number, L"Port already open"};
        case kErrHardwareNotAvailable:
            return {number, L"The hardware is not available (locked by another device)"};
        case kErrSetCommStateFailed:
            return {number, L"Could not set comm state"};
        case kErrPortNotOpen:
            return {number, L"Operation valid only when the port is open"};
        case kErrReadError:
            return {number, L"Error reading comm device"};
        default:
            return {number, {}};
    }
}

}  // namespace reader
