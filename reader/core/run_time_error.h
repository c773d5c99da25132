// Run-time errors of the host's language, raised by the reader logic and by its services. The
// numbers and texts are the ones the host's own code already tests for.
#pragma once

#include <cstdint>
#include <string>

#include "core/murello.h"

namespace reader {

enum : std::int32_t {
    kErrInvalidArgument = 5,
    kErrOverflow = 6,
    kErrOutOfMemory = 7,
    kErrSubscriptOutOfRange = 9,
    kErrTypeMismatch = 13,
};

// The host's description of one of its own run-time errors (empty for numbers it does not know).
std::wstring RunTimeErrorText(std::int32_t number);

// A run-time error of the host with its standard description.
RaisedError RunTimeError(std::int32_t number);

}  // namespace reader
