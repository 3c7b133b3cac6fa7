#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/Stream.h"
#include "platform/core/Files.h"

namespace platform {

// How FileStream opens its file.
enum class FileOpenMode {
  Create,    // create, or empty an existing file; readable and writable
  CreateNew, // create a file that did not exist; readable and writable.
             // Any entry of that name, a symbolic link included (dangling
             // or not, never followed), refuses it with EFileExists
  OpenRead,  // open an existing file for reading only
};

// A buffered stream over one file. Reads and writes go through a 64 KiB
// buffer; pending writes reach the file when the position jumps away from
// them, before a read, on Flush and on Close. Every failure raises
// EFileError naming the file (a negative position raises codec's
// EStreamError, as every stream does).
class FileStream : public codec::Stream {
 public:
  // Opens fileName, never waiting on it: only a regular file (or a new one)
  // is opened, anything else raises EUnusableFile saying what it is. Raises
  // EFileError "Cannot create file ..." or "Cannot open file ..." with the
  // reason (EFileExists for CreateNew on a name that is taken). access sets
  // the mode of a new file.
  FileStream(const std::string& fileName, FileOpenMode mode, FileAccess access = FileAccess::Shared);
  // Writes what is pending and closes; a failure here is lost, so callers
  // that must know call Close first.
  ~FileStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  // Raises EFileError on a stream opened for reading.
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Position() const override { return position_; }
  void SetPosition(std::int64_t position) override;
  std::int64_t Size() const override;

  // Writes pending bytes to the file.
  void Flush();
  // Flushes and closes the file; any later use raises EFileError.
  void Close();

  const std::string& FileName() const { return fileName_; }

 private:
  void RequireOpen() const;
  void FillReadBuffer();

  std::string fileName_;
  int fd_ = -1;
  bool writable_ = false;
  std::int64_t position_ = 0;
  // Bytes read ahead from the file, starting at readStart_.
  std::string readBuffer_;
  std::int64_t readStart_ = 0;
  // Bytes written but not yet in the file, starting at writeStart_.
  std::string writeBuffer_;
  std::int64_t writeStart_ = 0;
};

}  // namespace platform
