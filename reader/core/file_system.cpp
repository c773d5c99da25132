#include "core/file_system.h"

#include "core/text_encoding.h"

namespace reader {

RaisedError FileSystemError(std::int32_t number) {
    switch (number) {
        case kErrFileNotFound:
            return {number, L"File not found"};
        case kErrFileAlreadyExists:
            return {number, L"File already exists"};
        case kErrPermissionDenied:
            return {number, L"Permission denied"};
        case kErrPathNotFound:
            return {number, L"Path not found"};
        case 62:
            return {number, L"Input past end of file"};
        default:
            return {number, {}};
    }
}

std::wstring BufferTextReader::ReadLine() {
    if (AtEndOfStream()) throw FileSystemError(62);
    const auto end = bytes_.find('\n', position_);
    std::string_view line(bytes_);
    line = line.substr(position_, end == std::string::npos ? std::string::npos : end - position_);
    position_ = end == std::string::npos ? bytes_.size() : end + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    return FromWindows1252(line);
}

}  // namespace reader
