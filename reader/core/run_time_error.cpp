#include "core/run_time_error.h"

namespace reader {

std::wstring RunTimeErrorText(std::int32_t number) {
    switch (number) {
        case kErrInvalidArgument:
            return L"Invalid procedure call or argument";
        case kErrOverflow:
            return L"Overflow";
        case kErrOutOfMemory:
            return L"Out of memory";
        case kErrSubscriptOutOfRange:
            return L"Subscript out of range";
        case kErrTypeMismatch:
            return L"Type mismatch";
        default:
            return {};
    }
}

RaisedError RunTimeError(std::int32_t number) { return {number, RunTimeErrorText(number)}; }

}  // namespace reader
