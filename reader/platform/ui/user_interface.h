// What the reader shows and how it waits: message boxes and the beep, the thread's message
// loop, and a monotonic clock.
#pragma once

#include <chrono>
#include <string>

namespace reader {

// Message box styles, with the values Windows gives them.
enum : unsigned {
    kBoxOk = 0x0,
    kBoxIconStop = 0x10,  // the critical box
};

class UserInterface {
  public:
    virtual ~UserInterface() = default;
    // Shows a modal box without an owner window and waits for the user.
    virtual void ShowMessage(const std::wstring& text, const std::wstring& title,
                             unsigned style) = 0;
    virtual void Beep() = 0;
};

// The message loop of the thread that owns the object: this is how serial notifications arrive.
class MessageLoop {
  public:
    virtual ~MessageLoop() = default;
    // Dispatches every message already waiting, then returns.
    virtual void ProcessPendingMessages() = 0;
    // Blocks until a message arrives or the time has passed, without dispatching anything.
    virtual void WaitForMessage(std::chrono::nanoseconds longest) = 0;
};

class MonotonicClock {
  public:
    virtual ~MonotonicClock() = default;
    // Time since an arbitrary start; never goes back, unaffected by the wall clock.
    virtual std::chrono::nanoseconds Now() const = 0;
};

}  // namespace reader
