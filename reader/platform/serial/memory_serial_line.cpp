#include "platform/serial/memory_serial_line.h"

#include <algorithm>
#include <utility>

#include "platform/serial/serial_rules.h"

namespace reader {

void MemorySerialLine::SetCommPort(std::int16_t port) {
    calls.push_back("CommPort=" + std::to_string(port));
    CheckCommPort(port, portOpen);
    commPort = port;
}

void MemorySerialLine::SetPortOpen(bool open) {
    calls.push_back(open ? "PortOpen=True" : "PortOpen=False");
    if (!open) {
        portOpen = false;
        inputBuffer.clear();
        return;
    }
    if (portOpen || busyPorts.contains(commPort)) throw ReaderError(kErrPortAlreadyOpen);
    if (!existingPorts.contains(commPort)) throw ReaderError(kErrPortInvalid);
    portOpen = true;
    ++openCount_;
}

void MemorySerialLine::SetSettings(std::string_view value) {
    calls.push_back("Settings=" + std::string(value));
    ParseLineSettings(value);
}
void MemorySerialLine::SetHandshaking(std::int16_t mode) {
    calls.push_back("Handshaking=" + std::to_string(mode));
    CheckHandshaking(mode);
}
void MemorySerialLine::SetInBufferSize(std::int16_t bytes) {
    calls.push_back("InBufferSize=" + std::to_string(bytes));
    CheckBufferSize(bytes, portOpen);
}
void MemorySerialLine::SetOutBufferSize(std::int16_t bytes) {
    calls.push_back("OutBufferSize=" + std::to_string(bytes));
    CheckBufferSize(bytes, portOpen);
}
void MemorySerialLine::SetRThreshold(std::int16_t bytes) {
    calls.push_back("RThreshold=" + std::to_string(bytes));
    CheckCount(bytes);
    rThreshold_ = bytes;
}
void MemorySerialLine::SetSThreshold(std::int16_t bytes) {
    calls.push_back("SThreshold=" + std::to_string(bytes));
    CheckCount(bytes);
}
void MemorySerialLine::SetInputLen(std::int16_t bytes) {
    calls.push_back("InputLen=" + std::to_string(bytes));
    CheckCount(bytes);
}
void MemorySerialLine::SetEOFEnable(bool enable) {
    calls.push_back(std::string("EOFEnable=") + (enable ? "True" : "False"));
}
void MemorySerialLine::SetNullDiscard(bool discard) {
    calls.push_back(std::string("NullDiscard=") + (discard ? "True" : "False"));
}
void MemorySerialLine::SetRTSEnable(bool enable) {
    calls.push_back(std::string("RTSEnable=") + (enable ? "True" : "False"));
}
void MemorySerialLine::SetDTREnable(bool enable) {
    calls.push_back(std::string("DTREnable=") + (enable ? "True" : "False"));
}

void MemorySerialLine::Output(std::string_view bytes) {
    if (!portOpen) throw ReaderError(kErrPortNotOpen);
    written += bytes;
    for (char c : bytes) {
        if (c != 'c' || script.empty()) continue;
        Response response = std::move(script.front());
        script.pop_front();
        auto due = loop_.now;
        for (auto& piece : response.pieces) {
            due += response.delay;
            loop_.Post(due, [this, piece, opening = openCount_] {
                if (!portOpen || opening != openCount_) return;
                inputBuffer += piece;
                Notify(kCommEventReceive);
            });
        }
    }
    if (onOutput) onOutput(bytes);
}

std::string MemorySerialLine::Input() {
    if (!portOpen) throw ReaderError(kErrPortNotOpen);
    return std::exchange(inputBuffer, {});
}

void MemorySerialLine::AddRecord(const std::string& record) {
    script.push_back({{record + "\n\r"}});
}

void MemorySerialLine::Receive(const std::string& bytes) {
    loop_.Post(loop_.now, [this, bytes, opening = openCount_] {
        if (!portOpen || opening != openCount_) return;
        inputBuffer += bytes;
        Notify(kCommEventReceive);
    });
}

void MemorySerialLine::PostEvent(std::int16_t event) {
    loop_.Post(loop_.now, [this, event] { Notify(event); });
}

void MemorySerialLine::Notify(std::int16_t event) {
    // As the control: with RThreshold 0 arriving bytes wait in the buffer without an event.
    if (event == kCommEventReceive && rThreshold_ == 0) return;
    commEvent_ = event;
    if (onComm_) onComm_();
}

}  // namespace reader
