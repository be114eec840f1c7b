// The application object's log file: lines of text, each ended by CR LF,
// one after the other in a file that grows by zero-filled blocks of
// kLogBlockSize bytes. The first line written after the file was closed
// (or after a write failed) makes the file afresh.
#pragma once

#include <cstddef>
#include <fstream>
#include <string>

namespace velmora {

// The size of the log file's zero-filled blocks.
constexpr std::size_t kLogBlockSize = 16384;

class TLogFile {
 public:
  // Writes one line into fileName; false when it could not be written.
  // Never throws: it runs while errors are reported.
  bool WriteLine(const std::string& fileName, const std::string& text);
  bool IsOpen() const { return stream_.is_open(); }
  void Close() {
    if (stream_.is_open()) stream_.close();
  }

 private:
  std::fstream stream_;
  std::streamoff position_ = 0;
  std::streamoff size_ = 0;
};

}  // namespace velmora
