#include "core/downloads/infrared_protocol.h"

#include <algorithm>
#include <string>

#include "core/pump_until.h"

namespace reader {
namespace {

using namespace std::chrono_literals;
using std::chrono::nanoseconds;

constexpr std::int32_t kLineSpeed = 38400;
constexpr nanoseconds kPause = 500ms;
constexpr nanoseconds kResendAfter = 1s;
constexpr nanoseconds kGiveUpAfter = 2s;
constexpr nanoseconds kResendPace = 250ms;

// Blocks on the message loop until the deadline has passed, processing the messages that arrive:
// nothing else changes what the exchange waits on.
void PumpUntilTime(MessageLoop& loop, const MonotonicClock& clock, nanoseconds deadline) {
    PumpUntil(loop, clock, deadline, [] { return false; });
}

bool StartsWith(const InfraredBuffer& buffer, std::string_view prefix) {
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = buffer[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i]) return false;
    }
    return true;
}

bool HeardNothing(const InfraredBuffer& buffer) {
    return std::all_of(buffer.begin(), buffer.end(), [](char c) { return c == ' '; });
}

void Send(InfraredLink& link, std::string command) {
    command += '\r';
    link.Write(command);
}

void Ask(InfraredLink& link, const std::string& command, InfraredBuffer& buffer) {
    buffer.fill(' ');
    Send(link, command);
    link.Read(buffer);
}

// Closes the link on the way out, however the exchange ends once it is open.
class OpenLink {
  public:
    explicit OpenLink(InfraredLink& link) : link_(link) {}
    ~OpenLink() {
        if (!open_) return;
        try {
            link_.Close();
        } catch (...) {
            // An error is already on its way; a library without CloseIrCom adds nothing to it.
        }
    }
    OpenLink(const OpenLink&) = delete;
    OpenLink& operator=(const OpenLink&) = delete;
    void Opened() { open_ = true; }
    void Close() {
        open_ = false;
        link_.Close();
    }

  private:
    InfraredLink& link_;
    bool open_ = false;
};

// LEGGI1 until the reader answers "ACK": again after a second, then every resend pace, until two
// seconds have passed.
bool Handshake(InfraredLink& link, MessageLoop& loop, const MonotonicClock& clock) {
    const nanoseconds start = clock.Now();
    const nanoseconds resendAt = start + kResendAfter;
    const nanoseconds giveUpAt = start + kGiveUpAfter;
    InfraredBuffer buffer;
    Ask(link, "LEGGI1", buffer);
    while (true) {
        loop.ProcessPendingMessages();
        if (StartsWith(buffer, "ACK")) return true;
        if (clock.Now() >= resendAt) Ask(link, "LEGGI1", buffer);
        if (clock.Now() >= giveUpAt) return false;
        if (StartsWith(buffer, "ACK")) continue;
        const nanoseconds now = clock.Now();
        PumpUntilTime(loop, clock,
                      now < resendAt ? resendAt : std::min(giveUpAt, now + kResendPace));
    }
}

// SEGUE<i> per record until EOF. False on a time-out.
bool Transfer(InfraredLink& link, MessageLoop& loop, const MonotonicClock& clock,
              InfraredRecordSink& sink) {
    InfraredBuffer buffer;
    for (std::int32_t count = 0;; ++count) {
        const nanoseconds start = clock.Now();
        const nanoseconds resendAt = start + kResendAfter;
        nanoseconds giveUpAt = start + kGiveUpAfter;
        Send(link, "SEGUE" + std::to_string(count));
        loop.ProcessPendingMessages();
        buffer.fill(' ');
        link.Read(buffer);
        loop.ProcessPendingMessages();
        if (HeardNothing(buffer)) return false;
        if (StartsWith(buffer, "EOF")) return true;
        // A slow answer asks for the record again; that answer is not read.
        if (buffer[1] != '9' && clock.Now() >= resendAt) {
            giveUpAt = clock.Now() + kGiveUpAfter;
            Send(link, "RIPROVA" + std::to_string(count));
        }
        if (buffer[0] != '#') {
            // Nothing changes the buffer any more: this can only end in the time-out.
            PumpUntilTime(loop, clock, giveUpAt);
            return false;
        }
        sink.Record(buffer);
    }
}

}  // namespace

InfraredOutcome RunInfraredExchange(InfraredLink& link, MessageLoop& loop,
                                    const MonotonicClock& clock, std::int32_t port,
                                    InfraredRecordSink& sink) {
    OpenLink guard(link);
    const std::int32_t opened = link.Open(port, kLineSpeed);
    if (opened != 0) guard.Opened();
    PumpUntilTime(loop, clock, clock.Now() + kPause);
    if (opened == 0) return InfraredOutcome::OpenFailed;
    // Any other answer than 1 counts as opened, without a handshake.
    if (opened == 1 && !Handshake(link, loop, clock)) {
        guard.Close();
        return InfraredOutcome::HandshakeTimeout;
    }
    if (!Transfer(link, loop, clock, sink)) {
        guard.Close();
        return InfraredOutcome::TransferTimeout;
    }
    sink.EndOfRecords();
    PumpUntilTime(loop, clock, clock.Now() + kPause);
    Send(link, "ELIMINA");
    guard.Close();
    return InfraredOutcome::Downloaded;
}

}  // namespace reader
