// Errors that reach the component's caller as Automation errors: HRESULT 0x800A0000 + the
// run-time error number, with the description in the thread's error information, so that VBA and
// VBScript see Err.Number and Err.Description as the component raised them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <new>
#include <string>

#include "core/errors.h"

namespace reader::com {

HRESULT AutomationErrorResult(std::int32_t number);

// Sets the error information and returns the HRESULT to give back to the caller.
HRESULT RaiseAutomationError(std::int32_t number, const std::wstring& description, REFIID iid);

// Runs a call of the component's logic and turns whatever it throws into an HRESULT with error
// information; nothing thrown may cross the COM boundary.
template <typename Call>
HRESULT CallLogic(REFIID iid, Call&& call) noexcept {
    try {
        call();
        return S_OK;
    } catch (const reader::RaisedError& error) {
        return RaiseAutomationError(error.number, error.description, iid);
    } catch (const std::bad_alloc&) {
        return RaiseAutomationError(reader::kErrOutOfMemory,
                                    reader::ErrorText(reader::kErrOutOfMemory), iid);
    } catch (...) {
        return RaiseAutomationError(reader::kErrInternalError,
                                    reader::ErrorText(reader::kErrInternalError), iid);
    }
}

}  // namespace reader::com
