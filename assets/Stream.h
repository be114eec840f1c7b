// Byte streams that assets are read from and written to.
//
// TStream is the common interface: a position in a sequence of bytes that
// can be read, written and moved. TCustomMemoryStream reads bytes it does
// not own (a resource carried by the program); TMemoryStream owns a growable
// buffer; TFileStream is a plain file on disk. Readers of every asset kind
// (scene descriptions, textures, meshes, sounds) take a TStream&, so they
// never learn whether the bytes came from a file, a resource or an archive.
//
// Lifecycle: made (empty, over bytes, or on a file) -> read, written and
// moved -> freed (a file stream closes its file).
//
// Memory streams stay below 2 GiB, like every size the archive stores:
// their position and size never exceed kMaxMemoryStreamSize.
//
// Errors: "TStream.ReadBuffer error: Stream read error", "TStream.WriteBuffer
// error: Stream write error", "TStream.CopyFrom error: Stream read error",
// "TStream.Seek error: position P is outside 0..MAX", "TMemoryStream.Write
// error: writing N bytes at P would make the stream larger than MAX bytes",
// "TMemoryStream.SetSize error: N bytes is larger than MAX" (and the same
// for Reserve), "TMemoryStream.<operation> error: Out of memory while
// expanding memory stream to N bytes", "TFileStream.Create error: Cannot
// open file "NAME": REASON" (or "Cannot create file"), "TFileStream.Flush
// error: Stream write error on "NAME"".
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace velmora {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// The largest position and size of a memory stream.
constexpr std::int64_t kMaxMemoryStreamSize = 0x7FFFFFFF;

class TStream {
 public:
  virtual ~TStream() = default;

  // Up to count bytes; returns how many were read (0 at the end).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Returns how many bytes were written; a read-only stream writes none.
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Moves the position and returns it. A position before the start raises
  // (so does one beyond kMaxMemoryStreamSize in a memory stream); a position
  // beyond the end is allowed (reads there give nothing).
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual std::int64_t Size() = 0;

  std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  // Bytes between the position and the end (0 when beyond the end).
  std::int64_t Remaining();

  // Exactly count bytes, or "TStream.ReadBuffer error: Stream read error".
  void ReadBuffer(void* buffer, std::size_t count);
  // All of count bytes, or "TStream.WriteBuffer error: Stream write error".
  void WriteBuffer(const void* buffer, std::size_t count);

  // Little-endian unsigned 32-bit integers, as the archive format stores them.
  std::uint32_t ReadUInt32();
  void WriteUInt32(std::uint32_t value);

  // Copies count bytes from source at its position (short source: read error).
  void CopyFrom(TStream& source, std::int64_t count);
  // Everything from the position to the end.
  std::vector<std::uint8_t> ReadRest();
};

// Reads bytes held elsewhere; the owner keeps them alive while the stream
// is used. Writing is refused. The position stays within
// 0..kMaxMemoryStreamSize.
class TCustomMemoryStream : public TStream {
 public:
  TCustomMemoryStream() = default;
  explicit TCustomMemoryStream(std::span<const std::uint8_t> bytes) : view_(bytes) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(view_.size()); }

  const std::uint8_t* Memory() const { return view_.data(); }
  std::span<const std::uint8_t> Bytes() const { return view_; }

 protected:
  void SetView(std::span<const std::uint8_t> bytes) { view_ = bytes; }

  std::span<const std::uint8_t> view_;
  std::size_t position_ = 0;
};

// Owns its bytes and grows as it is written, up to kMaxMemoryStreamSize
// bytes; a write, SetSize or Reserve beyond that, or one the memory cannot
// hold, raises and leaves the stream as it was.
class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> bytes);
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;

  std::size_t Write(const void* buffer, std::size_t count) override;

  // New size; new bytes are zero, the position is kept.
  void SetSize(std::size_t size);
  // Room for capacity bytes without changing the size.
  void Reserve(std::size_t capacity);
  void Clear();
  std::uint8_t* Data() { return data_.data(); }
  const std::vector<std::uint8_t>& Buffer() const { return data_; }

 private:
  void Sync() { SetView(std::span<const std::uint8_t>(data_.data(), data_.size())); }

  std::vector<std::uint8_t> data_;
};

enum class TFileMode { fmOpenRead, fmCreate };

// A plain file. fmOpenRead opens an existing file for reading; fmCreate
// creates or replaces one for writing. Failure raises
// "TFileStream.Create error: Cannot open file ..." (or "Cannot create file")
// with the system's reason.
class TFileStream : public TStream {
 public:
  TFileStream(const std::string& fileName, TFileMode mode);

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override;

  const std::string& FileName() const { return fileName_; }
  // Pushes written bytes to the file; a failure (a full disk) raises
  // "TFileStream.Flush error: Stream write error".
  void Flush();

 private:
  std::string fileName_;
  TFileMode mode_;
  std::fstream file_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

// The lines of a text stream from its position to its end, split at CR LF,
// LF or CR; the line ends are not part of the lines. A final line end does
// not begin another line.
std::vector<std::string> ReadLines(TStream& stream);

}  // namespace velmora
