// The exchange with the infrared reader, apart from what is done with the records: open the
// link, the LEGGI1 handshake, SEGUE<i> per record with its RIPROVA<i> resend, and ELIMINA after
// EOF. Every wait blocks on the thread's message loop until a message or the next time limit,
// on the monotonic clock. The link is closed on every way out, a raised error included.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/ui/user_interface.h"
#include "platform/infrared/infrared_link.h"

namespace reader {

enum class InfraredOutcome {
    Downloaded,        // EOF received, records handed over, ELIMINA sent
    OpenFailed,        // vbOpenIrCom gave 0
    HandshakeTimeout,  // no "ACK" to LEGGI1 within two seconds
    TransferTimeout,   // no answer, or no record nor EOF, within two seconds of a SEGUE
};

// Receives what the reader sends. Either call may raise; the exchange then ends there.
class InfraredRecordSink {
  public:
    virtual ~InfraredRecordSink() = default;
    // An answer that begins with "#" (the whole buffer); the count goes on after it returns.
    virtual void Record(const InfraredBuffer& buffer) = 0;
    // "EOF" arrived: called before the reader is told to erase its data.
    virtual void EndOfRecords() = 0;
};

// The pauses (half a second after opening and before ELIMINA) and the limits (resend after one
// second, give up after two) are the reader's; once resending, LEGGI1 goes out every 250 ms.
InfraredOutcome RunInfraredExchange(InfraredLink& link, MessageLoop& loop,
                                    const MonotonicClock& clock, std::int32_t port,
                                    InfraredRecordSink& sink);

}  // namespace reader
