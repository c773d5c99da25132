// Scarica1, the infrared download: the readings of the hand-held reader, over the infrared link,
// into the table "Murello", with the status file "TEMPFOX.TMP" that says "KO" after a link
// failure. What differs between the four builds follows the build variant.
#pragma once

#include <cstdint>
#include <string>

#include "core/build_variant.h"
#include "core/services.h"

namespace reader {

struct InfraredDownload {
    ReaderServices& services;  // the link is loaded when a download first needs it
    const BuildVariant& variant;
    std::int32_t port;
    const std::wstring& dbPath;
};

// The download with the build's error handling: the full build reports a run-time error in a
// critical box titled with its number; the others raise it to the caller. The link is closed
// however it ends, and the records of a download that does not reach "EOF" are not kept.
void Scarica1Download(const InfraredDownload& download);

}  // namespace reader
