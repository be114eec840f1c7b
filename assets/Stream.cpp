#include "assets/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <stdexcept>

#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

// TStream --------------------------------------------------------------------

std::int64_t TStream::Remaining() {
  std::int64_t rest = Size() - Position();
  return rest > 0 ? rest : 0;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) RaiseError("TStream", "ReadBuffer", "Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) RaiseError("TStream", "WriteBuffer", "Stream write error");
}

std::uint32_t TStream::ReadUInt32() {
  std::uint8_t b[4];
  ReadBuffer(b, 4);
  return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

void TStream::WriteUInt32(std::uint32_t value) {
  const std::uint8_t b[4] = {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                             std::uint8_t(value >> 24)};
  WriteBuffer(b, 4);
}

void TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count < 0) RaiseError("TStream", "CopyFrom", "negative byte count");
  // Checked before anything is read or written, so a size taken from a
  // corrupt header never grows the destination.
  if (count > source.Remaining()) RaiseError("TStream", "CopyFrom", "Stream read error");
  std::uint8_t chunk[64 * 1024];
  while (count > 0) {
    std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(count, sizeof chunk));
    source.ReadBuffer(chunk, n);
    WriteBuffer(chunk, n);
    count -= static_cast<std::int64_t>(n);
  }
}

std::vector<std::uint8_t> TStream::ReadRest() {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(Remaining()));
  ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

// TCustomMemoryStream ----------------------------------------------------------

std::size_t TCustomMemoryStream::Read(void* buffer, std::size_t count) {
  if (position_ >= view_.size()) return 0;
  std::size_t n = std::min(count, view_.size() - position_);
  std::memcpy(buffer, view_.data() + position_, n);
  position_ += n;
  return n;
}

std::size_t TCustomMemoryStream::Write(const void*, std::size_t) { return 0; }

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = 0;
  switch (origin) {
    case TSeekOrigin::soBeginning: base = 0; break;
    case TSeekOrigin::soCurrent: base = static_cast<std::int64_t>(position_); break;
    case TSeekOrigin::soEnd: base = static_cast<std::int64_t>(view_.size()); break;
  }
  std::int64_t position = 0;
  const bool overflow = __builtin_add_overflow(base, offset, &position);
  if (overflow || position < 0 || position > kMaxMemoryStreamSize)
    RaiseError("TStream", "Seek",
               "position " + (overflow ? std::string("beyond 64 bits") : std::to_string(position)) + " is outside 0.." +
                   std::to_string(kMaxMemoryStreamSize));
  position_ = static_cast<std::size_t>(position);
  return position;
}

// TMemoryStream ------------------------------------------------------------------

TMemoryStream::TMemoryStream(std::vector<std::uint8_t> bytes) : data_(std::move(bytes)) { Sync(); }

namespace {

[[noreturn]] void OutOfMemory(std::string_view operation, std::size_t size) {
  RaiseError("TMemoryStream", operation,
             "Out of memory while expanding memory stream to " + std::to_string(size) + " bytes");
}

// Runs a step that grows the buffer, turning the standard library's
// exceptions into the program's error; the buffer is unchanged on failure.
template <class Grow>
void Growing(std::string_view operation, std::size_t size, Grow grow) {
  try {
    grow();
  } catch (const std::bad_alloc&) {
    OutOfMemory(operation, size);
  } catch (const std::length_error&) {
    OutOfMemory(operation, size);
  }
}

void CheckSize(std::string_view operation, std::size_t size) {
  if (size > static_cast<std::size_t>(kMaxMemoryStreamSize))
    RaiseError("TMemoryStream", operation,
               std::to_string(size) + " bytes is larger than " + std::to_string(kMaxMemoryStreamSize));
}

}  // namespace

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  // The position is at most kMaxMemoryStreamSize, so the sum cannot wrap.
  if (count > static_cast<std::size_t>(kMaxMemoryStreamSize) - position_)
    RaiseError("TMemoryStream", "Write",
               "writing " + std::to_string(count) + " bytes at " + std::to_string(position_) +
                   " would make the stream larger than " + std::to_string(kMaxMemoryStreamSize) + " bytes");
  const std::size_t end = position_ + count;
  if (end > data_.size()) Growing("Write", end, [&] { data_.resize(end); });
  std::memcpy(data_.data() + position_, buffer, count);
  position_ = end;
  Sync();
  return count;
}

void TMemoryStream::SetSize(std::size_t size) {
  CheckSize("SetSize", size);
  Growing("SetSize", size, [&] { data_.resize(size); });
  Sync();
}

void TMemoryStream::Reserve(std::size_t capacity) {
  CheckSize("Reserve", capacity);
  Growing("Reserve", capacity, [&] { data_.reserve(capacity); });
  Sync();
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  position_ = 0;
  Sync();
}

// TFileStream ----------------------------------------------------------------------

namespace {

// ": No such file or directory" for the error number of a failed open, or
// nothing when the system gave none.
std::string Reason(int error) { return error ? std::string(": ") + std::strerror(error) : std::string(); }

}  // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName), mode_(mode) {
  if (mode == TFileMode::fmOpenRead) {
    // A folder opens as a stream on Linux but holds no bytes to read.
    std::error_code ec;
    if (std::filesystem::is_directory(fileName, ec))
      RaiseError("TFileStream", "Create", "Cannot open file \"" + fileName + "\": it is a folder");
    errno = 0;
    file_.open(fileName, std::ios::in | std::ios::binary);
    if (!file_) RaiseError("TFileStream", "Create", "Cannot open file \"" + fileName + "\"" + Reason(errno));
    file_.seekg(0, std::ios::end);
    std::streamoff end = file_.tellg();
    if (!file_ || end < 0) RaiseError("TFileStream", "Create", "Cannot open file \"" + fileName + "\"");
    size_ = static_cast<std::int64_t>(end);
    file_.seekg(0, std::ios::beg);
  } else {
    errno = 0;
    file_.open(fileName, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file_) RaiseError("TFileStream", "Create", "Cannot create file \"" + fileName + "\"" + Reason(errno));
  }
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  if (mode_ != TFileMode::fmOpenRead || position_ >= size_) return 0;
  std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), size_ - position_));
  file_.clear();
  file_.seekg(position_);
  file_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(n));
  std::size_t got = static_cast<std::size_t>(file_.gcount());
  position_ += static_cast<std::int64_t>(got);
  return got;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  if (mode_ != TFileMode::fmCreate || count == 0) return 0;
  file_.seekp(position_);
  file_.write(static_cast<const char*>(buffer), static_cast<std::streamsize>(count));
  if (!file_) return 0;
  position_ += static_cast<std::int64_t>(count);
  size_ = std::max(size_, position_);
  return count;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? position_ : size_;
  if ((offset < 0 && base + offset < 0) || (offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset))
    RaiseError("TStream", "Seek", "position out of range");
  position_ = base + offset;
  return position_;
}

std::int64_t TFileStream::Size() { return size_; }

void TFileStream::Flush() {
  file_.flush();
  if (!file_) RaiseError("TFileStream", "Flush", "Stream write error on \"" + fileName_ + "\"");
}

// Lines ------------------------------------------------------------------------------

std::vector<std::string> ReadLines(TStream& stream) {
  std::vector<std::uint8_t> bytes = stream.ReadRest();
  std::vector<std::string> lines;
  std::size_t start = 0, i = 0;
  const std::size_t n = bytes.size();
  while (i < n) {
    std::uint8_t c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(reinterpret_cast<const char*>(bytes.data()) + start, i - start);
      i += (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < n) lines.emplace_back(reinterpret_cast<const char*>(bytes.data()) + start, n - start);
  return lines;
}

}  // namespace velmora
