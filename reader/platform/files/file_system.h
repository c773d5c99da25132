// The files and folders the reader uses, with the operations and error numbers of the host's
// scripting file-system object. Every operation raises RaisedError on failure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/errors.h"

namespace reader {

// A single-byte (Windows-1252) text file read line by line.
class TextReader {
  public:
    virtual ~TextReader() = default;
    // True once the last line has been read (at once for an empty file).
    virtual bool AtEndOfStream() = 0;
    // The next line without its end (CR LF or LF); raises 62 past the end.
    virtual std::wstring ReadLine() = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual bool FolderExists(const std::wstring& path) = 0;
    // Raises 58 when it exists already, 76 when its parent is missing.
    virtual void CreateFolder(const std::wstring& path) = 0;
    virtual bool FileExists(const std::wstring& path) = 0;
    // Not forced: a read-only file raises 70; a missing one 53.
    virtual void DeleteFile(const std::wstring& path) = 0;
    // Renames or moves; 53 when the source is missing, 58 when the target exists.
    virtual void MoveFile(const std::wstring& from, const std::wstring& to) = 0;
    // Opens for reading; 53 when missing.
    virtual std::unique_ptr<TextReader> OpenTextFile(const std::wstring& path) = 0;
    // The host's sequential output: creates or overwrites the file with exactly these bytes
    // (single-byte text, lines ended by CR LF); 76 when the folder is missing, 75 when the file
    // cannot be written (read-only, a folder of that name).
    virtual void WriteTextFile(const std::wstring& path, std::string_view bytes) = 0;
};

// Line reading over the whole content of a file, shared by both implementations.
class BufferTextReader : public TextReader {
  public:
    explicit BufferTextReader(std::string bytes) : bytes_(std::move(bytes)) {}
    bool AtEndOfStream() override { return position_ >= bytes_.size(); }
    std::wstring ReadLine() override;

  private:
    std::string bytes_;
    std::size_t position_ = 0;
};

}  // namespace reader
