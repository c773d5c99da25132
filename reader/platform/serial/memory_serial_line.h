// In-memory serial line for native tests, on the simulated message loop (its notifications are
// posted with the simulated time at which they arrive). The line answers each "c" written to it
// with the next scripted response, delivered in pieces, and fails on request like a busy or
// missing port.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/serial/serial_line.h"
#include "platform/ui/memory_message_loop.h"

namespace reader {

class MemorySerialLine : public SerialLine {
  public:
    explicit MemorySerialLine(MemoryMessageLoop& loop) : loop_(loop) {}

    void SetCommPort(std::int16_t port) override;
    std::int16_t CommPort() const override { return commPort; }
    void SetPortOpen(bool open) override;
    bool PortOpen() const override { return portOpen; }
    void SetSettings(std::string_view value) override;
    void SetHandshaking(std::int16_t mode) override;
    void SetInBufferSize(std::int16_t bytes) override;
    void SetOutBufferSize(std::int16_t bytes) override;
    void SetRThreshold(std::int16_t bytes) override;
    void SetSThreshold(std::int16_t bytes) override;
    void SetInputLen(std::int16_t bytes) override;
    void SetEOFEnable(bool enable) override;
    void SetNullDiscard(bool discard) override;
    void SetRTSEnable(bool enable) override;
    void SetDTREnable(bool enable) override;
    void Output(std::string_view bytes) override;
    std::string Input() override;
    std::int16_t CommEvent() const override { return commEvent_; }
    void SetOnComm(std::function<void()> handler) override { onComm_ = std::move(handler); }

    // One answer of the pen: the pieces in which the bytes arrive, and the delay of each piece
    // after the previous one (after the request for the first).
    struct Response {
        std::vector<std::string> pieces;
        std::chrono::nanoseconds delay{std::chrono::milliseconds(20)};
    };
    // Answers, one per "c"; when none is left the pen stays silent.
    std::deque<Response> script;
    // Adds a record answered in one piece, followed by LF CR.
    void AddRecord(const std::string& record);
    // Bytes that arrive now, outside any request (delivered when messages are processed).
    void Receive(const std::string& bytes);
    // Delivers a notification other than reception (a line event) at once.
    void PostEvent(std::int16_t event);
    // Runs after every Output, with the bytes sent.
    std::function<void(std::string_view)> onOutput;

    // What the line was told, in order: "CommPort=3", "PortOpen=True", "Settings=38400,n,8,1"...
    std::vector<std::string> calls;
    std::string written;  // every byte sent
    std::int16_t commPort = 1;
    bool portOpen = false;
    std::set<std::int16_t> existingPorts{1, 2, 3, 4, 5, 6, 7, 8};
    std::set<std::int16_t> busyPorts;  // held by another program
    std::string inputBuffer;

  private:
    void Notify(std::int16_t event);

    MemoryMessageLoop& loop_;
    std::function<void()> onComm_;
    std::int16_t commEvent_ = 0;
    std::int16_t rThreshold_ = 0;
    std::uint64_t openCount_ = 0;  // notifications of an earlier opening are dropped
};

}  // namespace reader
