// Message boxes, the beep, the thread's message loop and the monotonic clock on Windows.
#pragma once

#include "platform/ui/user_interface.h"

namespace reader {

class Win32UserInterface : public UserInterface {
  public:
    void ShowMessage(const std::wstring& text, const std::wstring& title, unsigned style) override;
    void Beep() override;
};

class Win32MessageLoop : public MessageLoop {
  public:
    void ProcessPendingMessages() override;
    void WaitForMessage(std::chrono::nanoseconds longest) override;
};

// Writes one diagnostic line where a debug viewer reads it (OutputDebugStringW); the sink of the
// error catalogue on Windows.
void WriteDebugLine(const wchar_t* line);

class Win32Clock : public MonotonicClock {
  public:
    std::chrono::nanoseconds Now() const override;
};

}  // namespace reader
