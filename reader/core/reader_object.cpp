#include "core/reader_object.h"

namespace reader {

ReaderObject::ReaderObject(ReaderServices services) : services_(std::move(services)) {
    SerialLine& line = *services_.serial;
    line.SetOnComm([this] { Seriale_OnComm(); });
    // The order of the serial control's own configuration, kept as the device expects it.
    line.SetRThreshold(1);
    line.SetSettings("38400,n,8,1");
    line.SetHandshaking(0);
    line.SetInBufferSize(1024);
    line.SetOutBufferSize(512);
    line.SetSThreshold(1);
    line.SetInputLen(0);
    line.SetEOFEnable(false);
    line.SetNullDiscard(false);
    line.SetRTSEnable(false);
    line.SetDTREnable(false);
}

ReaderObject::~ReaderObject() {
    ClosePortQuietly();
    services_.serial->SetOnComm(nullptr);
}

void ReaderObject::Seriale_OnComm() {
    SerialLine& line = *services_.serial;
    if (line.CommEvent() != kCommEventReceive) return;
    bufferSeriale_ += line.Input();
    // Only the end is examined: the pen sends one record per request.
    if (bufferSeriale_.ends_with("\n\r")) {
        ultimoRecord_ = bufferSeriale_.substr(0, bufferSeriale_.size() - 2);
        bufferSeriale_.clear();
        recordPronto_ = true;
    }
}

void ReaderObject::ClosePortQuietly() noexcept {
    try {
        if (services_.serial->PortOpen()) services_.serial->SetPortOpen(false);
    } catch (...) {
        // Closing is best effort; the line is released with the object anyway.
    }
}

}  // namespace reader
