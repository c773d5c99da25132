// Late-bound calls of the reader's Windows services (kit/dispatch_call.h): a failed call raises
// the reader's error with the callee's number and description, the HRESULT and member kept for
// diagnosis.
#pragma once

#include <string>
#include <utility>

#include "core/errors.h"
#include "kit/dispatch_call.h"

namespace reader {

inline RaisedError ReaderErrorOf(const kit::DispatchError& error) {
    return ReaderErrorWithText(error.number, error.description, error.hresult,
                               L"IDispatch::Invoke " + error.member);
}

// Runs call (which uses kit::CallDispatch) and turns its DispatchError into the reader's error.
template <typename Call>
auto CallRaisingReaderError(Call&& call) -> decltype(call()) {
    try {
        return std::forward<Call>(call)();
    } catch (const kit::DispatchError& error) {
        throw ReaderErrorOf(error);
    }
}

}  // namespace reader
