#include "platform/serial/win32_serial_line.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>

#include "kit/critical_section.h"
#include "platform/serial/serial_rules.h"
#include "kit/unique_handle.h"

namespace reader {
namespace {

constexpr UINT kBytesArrived = WM_APP + 0x5C;
// No read time-outs: the reader asks for one byte, which waits (pending, without a thread
// spinning) until a byte arrives, then for exactly the bytes already queued, which returns at
// once. An interval time-out would hold every reading back until the line had been quiet for a
// timer tick, and the "return at once or after a constant" combination does not complete
// overlapped reads under Wine.
constexpr DWORD kWriteTimeoutMs = 5000;
constexpr DWORD kReaderStopMs = 10000;

using kit::CriticalSection;
using kit::Lock;

BYTE ParityOf(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::Even:
            return EVENPARITY;
        case LineSettings::Parity::Odd:
            return ODDPARITY;
        case LineSettings::Parity::Mark:
            return MARKPARITY;
        case LineSettings::Parity::Space:
            return SPACEPARITY;
        default:
            return NOPARITY;
    }
}

BYTE StopBitsOf(LineSettings::StopBits stopBits) {
    switch (stopBits) {
        case LineSettings::StopBits::OnePointFive:
            return ONE5STOPBITS;
        case LineSettings::StopBits::Two:
            return TWOSTOPBITS;
        default:
            return ONESTOPBIT;
    }
}

class Win32SerialLine : public SerialLine {
  public:
    Win32SerialLine() {
        // A message-only window of a system class, subclassed: no window class of ours stays
        // registered after the component is unloaded.
        window_.reset(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      nullptr, nullptr));
        if (!window_) {
            throw ReaderError(kErrHardwareNotAvailable, GetLastError(),
                              L"CreateWindowExW (notification window)");
        }
        SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        previousProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
        stopEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        writeDone_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!stopEvent_ || !writeDone_)
            throw ReaderError(kErrHardwareNotAvailable, GetLastError(), L"CreateEventW");
    }

    ~Win32SerialLine() override {
        Close();
        if (window_) {
            SetWindowLongPtrW(window_.get(), GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(previousProc_));
            SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
        }
    }

    void SetCommPort(std::int16_t port) override {
        CheckCommPort(port, PortOpen());
        commPort_ = port;
    }
    std::int16_t CommPort() const override { return commPort_; }

    void SetPortOpen(bool open) override {
        if (!open) {
            Close();
            return;
        }
        if (port_) throw ReaderError(kErrPortAlreadyOpen);
        Open();
    }
    bool PortOpen() const override { return static_cast<bool>(port_); }

    void SetSettings(std::string_view settings) override {
        settings_ = ParseLineSettings(settings);
        ApplyIfOpen();
    }
    void SetHandshaking(std::int16_t mode) override {
        CheckHandshaking(mode);
        handshaking_ = mode;
        ApplyIfOpen();
    }
    void SetInBufferSize(std::int16_t bytes) override {
        CheckBufferSize(bytes, PortOpen());
        inBufferSize_ = bytes;
    }
    void SetOutBufferSize(std::int16_t bytes) override {
        CheckBufferSize(bytes, PortOpen());
        outBufferSize_ = bytes;
    }
    void SetRThreshold(std::int16_t bytes) override {
        CheckCount(bytes);
        rThreshold_ = bytes;
    }
    void SetSThreshold(std::int16_t bytes) override { CheckCount(bytes); }
    void SetInputLen(std::int16_t bytes) override {
        CheckCount(bytes);
        inputLen_ = bytes;
    }
    void SetEOFEnable(bool enable) override { eofEnable_ = enable; }
    void SetNullDiscard(bool discard) override {
        nullDiscard_ = discard;
        ApplyIfOpen();
    }
    void SetRTSEnable(bool enable) override {
        rtsEnable_ = enable;
        ApplyIfOpen();
    }
    void SetDTREnable(bool enable) override {
        dtrEnable_ = enable;
        ApplyIfOpen();
    }

    void Output(std::string_view bytes) override {
        if (!port_) throw ReaderError(kErrPortNotOpen);
        if (bytes.empty()) return;
        // One event for every write (WriteFile resets it): a request costs no event of its own.
        OVERLAPPED overlapped{};
        overlapped.hEvent = writeDone_.get();
        DWORD written = 0;
        if (!WriteFile(port_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       &overlapped)) {
            if (const DWORD error = GetLastError(); error != ERROR_IO_PENDING) {
                throw ReaderError(kErrHardwareNotAvailable, error, L"WriteFile " + PortName());
            }
            if (WaitForSingleObject(writeDone_.get(), kWriteTimeoutMs) != WAIT_OBJECT_0) {
                CancelIo(port_.get());
            }
            if (!GetOverlappedResult(port_.get(), &overlapped, &written, TRUE)) {
                throw ReaderError(kErrHardwareNotAvailable, GetLastError(),
                                  L"WriteFile " + PortName());
            }
        }
    }

    std::string Input() override {
        if (!port_) throw ReaderError(kErrPortNotOpen);
        Lock lock(section_);
        const std::size_t take =
            inputLen_ == 0 ? received_.size()
                           : std::min(received_.size(), static_cast<std::size_t>(inputLen_));
        std::string bytes = received_.substr(0, take);
        received_.erase(0, take);
        return bytes;
    }

    std::int16_t CommEvent() const override { return commEvent_; }

    void SetOnComm(std::function<void()> handler) override { onComm_ = std::move(handler); }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Win32SerialLine*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == kBytesArrived) {
            self->BytesArrived(static_cast<unsigned>(wParam));
            return 0;
        }
        WNDPROC previous = self ? self->previousProc_ : nullptr;
        return previous ? CallWindowProcW(previous, window, message, wParam, lParam)
                        : DefWindowProcW(window, message, wParam, lParam);
    }

    void BytesArrived(unsigned opening) {
        bool waiting = false;
        {
            Lock lock(section_);
            notifyPending_ = false;
            waiting = !received_.empty();
        }
        if (!port_ || opening != opening_ || !waiting || rThreshold_ == 0) return;
        commEvent_ = kCommEventReceive;
        if (!onComm_) return;
        try {
            onComm_();
        } catch (...) {
            // The notification has no caller to report to; the download's wait sees no record.
        }
    }

    static DWORD WINAPI ReaderMain(void* parameter) {
        static_cast<Win32SerialLine*>(parameter)->ReadUntilStopped();
        return 0;
    }

    void ReadUntilStopped() {
        kit::UniqueHandle readDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!readDone) return;
        char buffer[512];
        // Every call to the system here is a round trip through the host, and each reading costs
        // this loop one pass: ReadFile resets the event itself, and the stop is seen in the wait
        // or from the flag rather than from one more wait per pass.
        while (!stopping_.load(std::memory_order_acquire)) {
            const ULONGLONG started = GetTickCount64();
            DWORD got = 0;
            if (!Read(readDone.get(), buffer, 1, got)) break;
            if (got > 0) {
                COMSTAT status{};
                DWORD errors = 0;
                DWORD more = 0;
                if (ClearCommError(port_.get(), &errors, &status) && status.cbInQue > 0) {
                    const DWORD queued = std::min<DWORD>(status.cbInQue, sizeof buffer - got);
                    if (!Read(readDone.get(), buffer + got, queued, more)) more = 0;
                }
                Lock lock(section_);
                received_.append(buffer, got + more);
                if (!notifyPending_) {
                    notifyPending_ = true;
                    PostMessageW(window_.get(), kBytesArrived, opening_, 0);
                }
            } else if (GetTickCount64() - started < 50) {
                // A driver that ignores the read time-outs returns at once with nothing;
                // pause instead of spinning.
                if (WaitForSingleObject(stopEvent_.get(), 50) == WAIT_OBJECT_0) break;
            }
        }
    }

    // One overlapped read of `count` bytes into `buffer`; false when the port failed or the
    // line is being closed (the read is then cancelled).
    bool Read(HANDLE done, char* buffer, DWORD count, DWORD& got) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = done;
        got = 0;
        if (ReadFile(port_.get(), buffer, count, &got, &overlapped)) return true;
        if (GetLastError() != ERROR_IO_PENDING) return false;
        HANDLE waits[2] = {done, stopEvent_.get()};
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIo(port_.get());
            GetOverlappedResult(port_.get(), &overlapped, &got, TRUE);
            return false;
        }
        return GetOverlappedResult(port_.get(), &overlapped, &got, FALSE) != FALSE;
    }

    void Open() {
        const std::wstring name = PortName();
        kit::UniqueFileHandle port(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                               nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                                               nullptr));
        if (!port) {
            const DWORD error = GetLastError();
            std::int32_t number = kErrHardwareNotAvailable;
            switch (error) {
                case ERROR_ACCESS_DENIED:
                case ERROR_SHARING_VIOLATION:
                case ERROR_BUSY:
                    number = kErrPortAlreadyOpen;
                    break;
                case ERROR_FILE_NOT_FOUND:
                case ERROR_PATH_NOT_FOUND:
                case ERROR_INVALID_NAME:
                case ERROR_BAD_UNIT:
                    number = kErrPortInvalid;
                    break;
                default:
                    break;
            }
            throw ReaderError(number, error, L"CreateFileW " + name);
        }
        SetupComm(port.get(), static_cast<DWORD>(inBufferSize_),
                  static_cast<DWORD>(outBufferSize_));
        if (!ApplyLineState(port.get())) {
            throw ReaderError(kErrSetCommStateFailed, GetLastError(), L"SetCommState " + name);
        }
        COMMTIMEOUTS timeouts{};
        timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
        if (!SetCommTimeouts(port.get(), &timeouts)) {
            throw ReaderError(kErrSetCommStateFailed, GetLastError(), L"SetCommTimeouts " + name);
        }
        PurgeComm(port.get(), PURGE_RXCLEAR | PURGE_TXCLEAR);

        {
            Lock lock(section_);
            received_.clear();
            notifyPending_ = false;
        }
        ++opening_;
        commEvent_ = 0;
        ResetEvent(stopEvent_.get());
        stopping_.store(false, std::memory_order_relaxed);
        port_ = std::move(port.handle);
        reader_.reset(CreateThread(nullptr, 0, &ReaderMain, this, 0, nullptr));
        if (!reader_) {
            const DWORD error = GetLastError();
            port_.reset();
            throw ReaderError(kErrHardwareNotAvailable, error, L"CreateThread (serial reader)");
        }
    }

    void Close() {
        if (reader_) {
            stopping_.store(true, std::memory_order_release);
            SetEvent(stopEvent_.get());
            WaitForSingleObject(reader_.get(), kReaderStopMs);
            reader_.reset();
        }
        port_.reset();
        ++opening_;  // notifications already posted belong to the closed port
        Lock lock(section_);
        received_.clear();
    }

    void ApplyIfOpen() {
        if (port_ && !ApplyLineState(port_.get())) {
            throw ReaderError(kErrSetCommStateFailed, GetLastError(),
                              L"SetCommState " + PortName());
        }
    }

    std::wstring PortName() const { return L"\\\\.\\COM" + std::to_wstring(commPort_); }

    bool ApplyLineState(HANDLE port) {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(port, &dcb)) return false;
        dcb.BaudRate = settings_.baud;
        dcb.ByteSize = settings_.dataBits;
        dcb.Parity = ParityOf(settings_.parity);
        dcb.StopBits = StopBitsOf(settings_.stopBits);
        dcb.fBinary = TRUE;
        dcb.fParity = settings_.parity != LineSettings::Parity::None;
        const bool rtsHandshake = handshaking_ == 2 || handshaking_ == 3;
        const bool xonXoff = handshaking_ == 1 || handshaking_ == 3;
        dcb.fOutxCtsFlow = rtsHandshake;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fDtrControl = dtrEnable_ ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
        dcb.fRtsControl = rtsHandshake ? RTS_CONTROL_HANDSHAKE
                                       : (rtsEnable_ ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE);
        dcb.fOutX = xonXoff;
        dcb.fInX = xonXoff;
        dcb.fNull = nullDiscard_;
        dcb.fAbortOnError = FALSE;
        dcb.EofChar = eofEnable_ ? 26 : 0;
        return SetCommState(port, &dcb) != FALSE;
    }

    kit::UniqueWindow window_;
    WNDPROC previousProc_ = nullptr;
    kit::UniqueHandle stopEvent_;
    kit::UniqueHandle writeDone_;  // the event of every overlapped write
    kit::UniqueHandle port_;
    kit::UniqueHandle reader_;
    std::atomic<bool> stopping_{false};  // set with stopEvent_, read by the reader thread
    std::function<void()> onComm_;

    std::int16_t commPort_ = 1;
    LineSettings settings_;
    std::int16_t handshaking_ = 0;
    std::int16_t inBufferSize_ = 1024;
    std::int16_t outBufferSize_ = 512;
    std::int16_t rThreshold_ = 0;
    std::int16_t inputLen_ = 0;
    bool eofEnable_ = false;
    bool nullDiscard_ = false;
    bool rtsEnable_ = false;
    bool dtrEnable_ = false;
    std::int16_t commEvent_ = 0;
    unsigned opening_ = 0;  // changed only while no reader thread runs

    // Shared with the reader thread.
    CriticalSection section_;
    std::string received_;
    bool notifyPending_ = false;
};

}  // namespace

std::unique_ptr<SerialLine> CreateWin32SerialLine() { return std::make_unique<Win32SerialLine>(); }

}  // namespace reader
