#include "platform/files/file_system.h"

#include "core/text_encoding.h"

namespace reader {

std::wstring BufferTextReader::ReadLine() {
    if (AtEndOfStream()) throw ReaderError(kErrInputPastEndOfFile, 0, L"ReadLine");
    const auto end = bytes_.find('\n', position_);
    std::string_view line(bytes_);
    line = line.substr(position_, end == std::string::npos ? std::string::npos : end - position_);
    position_ = end == std::string::npos ? bytes_.size() : end + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    return FromWindows1252(line);
}

}  // namespace reader
