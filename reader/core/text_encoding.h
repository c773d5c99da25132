// Text between the host's wide strings, the devices' single-byte Windows-1252 text and the
// database's UTF-8, converted by table so that no machine setting takes part.
#pragma once

#include <string>
#include <string_view>

namespace reader {

std::wstring FromWindows1252(std::string_view bytes);
// Characters without a Windows-1252 byte become "?", as the system's own conversion does.
std::string ToWindows1252(std::wstring_view text);

std::string ToUtf8(std::wstring_view text);
// Invalid sequences become U+FFFD.
std::wstring FromUtf8(std::string_view bytes);

}  // namespace reader
