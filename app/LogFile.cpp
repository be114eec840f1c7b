#include "app/LogFile.h"

#include <exception>

namespace velmora {

bool TLogFile::WriteLine(const std::string& fileName, const std::string& text) {
  static const std::string zeros(kLogBlockSize, '\0');
  try {
    if (!stream_.is_open()) {
      {
        std::ofstream create(fileName, std::ios::binary | std::ios::trunc);
        create.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
        if (!create) return false;
      }
      stream_.clear();
      stream_.open(fileName, std::ios::binary | std::ios::in | std::ios::out);
      if (!stream_.is_open()) return false;
      position_ = 0;
      size_ = static_cast<std::streamoff>(kLogBlockSize);
    }
    std::string line = text + "\r\n";
    auto length = static_cast<std::streamoff>(line.size());
    // The file grows by whole zero blocks at its end until the line fits.
    while (position_ + length > size_) {
      stream_.seekp(size_);
      stream_.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
      if (!stream_) break;
      size_ += static_cast<std::streamoff>(kLogBlockSize);
    }
    stream_.seekp(position_);
    stream_.write(line.data(), static_cast<std::streamsize>(line.size()));
    stream_.flush();
    if (!stream_) {
      // Start afresh with the next line rather than write into a broken
      // stream.
      stream_.close();
      return false;
    }
    position_ += length;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace velmora
