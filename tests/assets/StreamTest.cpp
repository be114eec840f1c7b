// The stream family the asset readers read from.
#include <gtest/gtest.h>

#include "assets/Stream.h"
#include "core/Error.h"
#include "tests/assets/AssetsTestSupport.h"

namespace velmora {
namespace {

using assets_test::ToBytes;

TEST(Streams, MemoryStreamReadsWritesAndSeeks) {
  TMemoryStream s;
  s.WriteUInt32(0x04030201u);
  s.WriteBuffer("xy", 2);
  EXPECT_EQ(s.Size(), 6);
  EXPECT_EQ(s.Buffer()[0], 1);
  EXPECT_EQ(s.Buffer()[3], 4);
  s.SetPosition(0);
  EXPECT_EQ(s.ReadUInt32(), 0x04030201u);
  EXPECT_EQ(s.Remaining(), 2);
  char two[3] = {};
  EXPECT_THROW(s.ReadBuffer(two, 3), Error);
  // Beyond the end: reads give nothing, a write there fills the gap with zeros.
  s.Seek(4, TSeekOrigin::soEnd);
  EXPECT_EQ(s.Remaining(), 0);
  EXPECT_EQ(s.Read(two, 1), 0u);
  s.WriteBuffer("z", 1);
  EXPECT_EQ(s.Size(), 11);
  EXPECT_EQ(s.Buffer()[8], 0);
  EXPECT_THROW(s.Seek(-1, TSeekOrigin::soBeginning), Error);
  EXPECT_EQ(s.Seek(-2, TSeekOrigin::soEnd), 9);
}

// What a call raised: the program's own error text, or a note that some
// other exception escaped.
template <class F>
std::string Raised(F call) {
  try {
    call();
  } catch (const Error& e) {
    return e.what();
  } catch (const std::exception& e) {
    return std::string("foreign exception: ") + e.what();
  }
  return "(no error)";
}

TEST(Streams, MemoryStreamPositionAndSizeStayBelowTwoGiB) {
  constexpr std::int64_t kLimit = 0x7FFFFFFF;
  TMemoryStream s;
  s.WriteBuffer("abc", 3);
  // A position far beyond any size a memory stream may have is refused at
  // once, so no later write can try to grow the buffer to it.
  ASSERT_EQ(Raised([&] { s.Seek(std::int64_t(1) << 40, TSeekOrigin::soBeginning); }),
            "TStream.Seek error: position 1099511627776 is outside 0..2147483647");
  EXPECT_EQ(s.Position(), 3);
  EXPECT_EQ(Raised([&] { s.Seek(kLimit, TSeekOrigin::soEnd); }),
            "TStream.Seek error: position 2147483650 is outside 0..2147483647");
  // Up to the limit the position may go past the end, but a write there
  // would make the stream too large.
  EXPECT_EQ(s.Seek(kLimit, TSeekOrigin::soBeginning), kLimit);
  EXPECT_EQ(Raised([&] { s.WriteBuffer("x", 1); }),
            "TMemoryStream.Write error: writing 1 bytes at 2147483647 would make the stream larger than 2147483647 "
            "bytes");
  EXPECT_EQ(s.Size(), 3);
  EXPECT_EQ(Raised([&] { s.Seek(1, TSeekOrigin::soCurrent); }),
            "TStream.Seek error: position 2147483648 is outside 0..2147483647");
  EXPECT_EQ(Raised([&] { s.SetSize(std::size_t(1) << 40); }),
            "TMemoryStream.SetSize error: 1099511627776 bytes is larger than 2147483647");
  EXPECT_EQ(Raised([&] { s.Reserve(std::size_t(1) << 40); }),
            "TMemoryStream.Reserve error: 1099511627776 bytes is larger than 2147483647");
  EXPECT_EQ(s.Size(), 3);
  // A view obeys the same bounds.
  const std::vector<std::uint8_t> bytes = ToBytes("abc");
  TCustomMemoryStream view(bytes);
  EXPECT_NE(Raised([&] { view.Seek(kLimit + 1, TSeekOrigin::soBeginning); }).find("TStream.Seek error"),
            std::string::npos);
}

TEST(Streams, ReadOnlyViewAndCopy) {
  const std::vector<std::uint8_t> bytes = ToBytes("abcdef");
  TCustomMemoryStream view(bytes);
  EXPECT_EQ(view.Write("x", 1), 0u);
  EXPECT_THROW(view.WriteBuffer("x", 1), Error);
  view.SetPosition(2);
  TMemoryStream copy;
  copy.CopyFrom(view, 3);
  EXPECT_EQ(assets_test::ToText(copy.Buffer()), "cde");
  // A count beyond the source raises before anything is copied.
  TMemoryStream none;
  EXPECT_THROW(none.CopyFrom(view, 2), Error);
  EXPECT_EQ(none.Size(), 0);
  EXPECT_EQ(view.Position(), 5);
}

TEST(Streams, FileStreamRoundTrip) {
  assets_test::TempDir dir;
  {
    TFileStream out(dir.File("f.bin"), TFileMode::fmCreate);
    out.WriteBuffer("hello", 5);
    out.SetPosition(1);
    out.WriteBuffer("E", 1);
    out.Flush();
  }
  TFileStream in(dir.File("f.bin"), TFileMode::fmOpenRead);
  EXPECT_EQ(in.Size(), 5);
  in.SetPosition(1);
  EXPECT_EQ(assets_test::ToText(in.ReadRest()), "Ello");
  EXPECT_EQ(in.Write("x", 1), 0u);
  EXPECT_THROW(TFileStream(dir.File("missing"), TFileMode::fmOpenRead), Error);
  dir.Write("plain", "x");
  EXPECT_THROW(TFileStream(dir.File("plain") + "/child", TFileMode::fmCreate), Error);
}

TEST(Streams, LinesSplitAtEveryKindOfLineEnd) {
  TMemoryStream s{ToBytes("one\r\ntwo\nthree\rfour\r\n\r\nsix")};
  EXPECT_EQ(ReadLines(s), (std::vector<std::string>{"one", "two", "three", "four", "", "six"}));
  TMemoryStream t{ToBytes("a\n")};
  EXPECT_EQ(ReadLines(t), std::vector<std::string>{"a"});
  TMemoryStream u{ToBytes("\n\r")};
  EXPECT_EQ(ReadLines(u), (std::vector<std::string>{"", ""}));
  TMemoryStream empty;
  EXPECT_TRUE(ReadLines(empty).empty());
}

}  // namespace
}  // namespace velmora
