// The resource archive: the format read from bytes assembled by hand, the
// builder's output against the same bytes, and damaged archives.
#include <gtest/gtest.h>

#include "assets/ArchiveBuilder.h"
#include "assets/ResourceArchive.h"
#include "core/Error.h"
#include "tests/assets/AssetsTestSupport.h"

namespace velmora {
namespace {

using namespace assets_test;

std::string Inflated(const TArchiveFile& entry) {
  TMemoryStream out;
  entry.Decompress(out);
  EXPECT_EQ(out.Position(), 0);
  return ToText(out.Buffer());
}

TResourceFileArchive Load(const Bytes& bytes) {
  TResourceFileArchive archive;
  TMemoryStream s{Bytes(bytes)};
  archive.LoadFromStream(s);
  return archive;
}

std::string LoadError(const Bytes& bytes) {
  try {
    Load(bytes);
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(ResourceArchive, ReadsHandAssembledBytesAndPairsBlocksInNameOrder) {
  // Directory deliberately unsorted: the reader pairs blocks with names in
  // case-insensitive order ("a.txt" < "B.jpg" < "c1"), not directory order.
  RawEntry b = Entry("B.jpg", "second");
  RawEntry a = Entry("a.txt", "first entry");
  RawEntry c = Entry("c1", "");
  Bytes dir = Directory({c, b, a});
  Bytes bytes = Archive(dir, {a.block, b.block, c.block}, static_cast<std::uint32_t>(dir.size()));
  bytes.push_back(0xEE);  // trailing bytes after the last block are not part of any entry

  TResourceFileArchive archive = Load(bytes);
  ASSERT_EQ(archive.Count(), 3);
  EXPECT_EQ(archive.Entries(0).Name, "a.txt");
  EXPECT_EQ(archive.Entries(1).Name, "B.jpg");
  EXPECT_EQ(archive.Entries(2).Name, "c1");
  EXPECT_EQ(archive.Entries(1).CompressedSize, b.block.size());
  EXPECT_EQ(archive.Entries(1).UncompressedSize, 6u);
  EXPECT_EQ(Inflated(archive.Entries(0)), "first entry");
  EXPECT_EQ(Inflated(archive.Entries(1)), "second");
  EXPECT_EQ(Inflated(archive.Entries(2)), "");
  EXPECT_THROW(archive.Entries(3), Error);
}

TEST(ResourceArchive, BuilderWritesExactlyTheFormatBytes) {
  TArchiveBuilder builder(9);
  builder.Add("zeta.wav", ToBytes("RIFF...."));
  builder.Add("Alpha.3dm", ToBytes("#Object 1\nName A\n"));
  builder.Add("_under.txt", ToBytes("u"));
  TMemoryStream out;
  builder.SaveToStream(out);

  // Letters fold to lower case, so "_" (0x5F) sorts before every letter.
  Bytes expected = Archive({Entry("_under.txt", "u"), Entry("Alpha.3dm", "#Object 1\nName A\n"),
                            Entry("zeta.wav", "RIFF....")});
  EXPECT_EQ(out.Buffer(), expected);
  // Level 9 streams carry the maximum-compression header.
  EXPECT_EQ(out.Buffer()[4], 0x78);
  EXPECT_EQ(out.Buffer()[5], 0xDA);
}

TEST(ResourceArchive, BuilderRefusesNamesTheFormatCannotHold) {
  TArchiveBuilder builder;
  builder.Add("scene.gsc", Bytes{});
  EXPECT_THROW(builder.Add("SCENE.GSC", Bytes{}), Error);
  EXPECT_THROW(builder.Add("", Bytes{}), Error);
  EXPECT_THROW(builder.Add("dir/file", Bytes{}), Error);
  EXPECT_THROW(builder.Add("dir\\file", Bytes{}), Error);
  EXPECT_EQ(builder.Count(), 1);
}

TEST(ResourceArchive, FindIgnoresCaseAndAddKeepsTheFirstOfAName) {
  TResourceFileArchive archive = Load(Archive({Entry("Clock.3DM", "x"), Entry("fish.jpg", "y")}));
  int index = -1;
  ASSERT_TRUE(archive.Find("clock.3dm", index));
  EXPECT_EQ(index, 0);
  ASSERT_TRUE(archive.Find("FISH.JPG", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(archive.Find("fish.jp", index));
  EXPECT_FALSE(archive.Find("", index));

  auto duplicate = std::make_unique<TArchiveFile>();
  duplicate->Name = "CLOCK.3dm";
  EXPECT_FALSE(archive.Add(std::move(duplicate)));
  EXPECT_EQ(archive.Count(), 2);
  EXPECT_EQ(Inflated(archive.Entries(0)), "x");
}

TEST(ResourceArchive, EmptyDirectoryAndEntryWithoutData) {
  TResourceFileArchive archive = Load(Archive(std::vector<RawEntry>{}));
  EXPECT_EQ(archive.Count(), 0);

  TArchiveFile bare;
  bare.UncompressedSize = 10;
  TMemoryStream out;
  bare.Decompress(out);
  EXPECT_EQ(out.Size(), 0);
}

TEST(ResourceArchive, EveryTruncationRaisesAndLeavesTheArchiveEmpty) {
  Bytes whole = Archive({Entry("a.txt", "alpha alpha alpha"), Entry("b.txt", "beta")});
  ASSERT_EQ(Load(whole).Count(), 2);
  for (std::size_t n = 0; n < whole.size(); ++n) {
    Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    TResourceFileArchive archive;
    TMemoryStream s{std::move(cut)};
    EXPECT_THROW(archive.LoadFromStream(s), Error) << "length " << n;
    EXPECT_EQ(archive.Count(), 0) << "length " << n;
  }
}

TEST(ResourceArchive, DirectorySizeMustMatchItsStream) {
  RawEntry a = Entry("a.txt", "alpha");
  Bytes dir = Directory({a});
  std::string longer = LoadError(Archive(dir, {a.block}, static_cast<std::uint32_t>(dir.size() + 1)));
  EXPECT_NE(longer.find("TResourceFileArchive.LoadFromStream error: Stream read error"), std::string::npos) << longer;
  std::string shorter = LoadError(Archive(dir, {a.block}, static_cast<std::uint32_t>(dir.size() - 1)));
  EXPECT_NE(shorter.find("inflates to more"), std::string::npos) << shorter;
  std::string huge = LoadError(Archive(dir, {a.block}, 0x80000000u));
  EXPECT_NE(huge.find("DirectorySize"), std::string::npos) << huge;
}

TEST(ResourceArchive, DirectoryFieldsAreCheckedAgainstTheDirectory) {
  RawEntry a = Entry("a.txt", "alpha");
  // A name length reaching past the directory's end.
  Bytes dir;
  PutU32(dir, 1);
  PutU32(dir, 1000);
  dir.insert(dir.end(), {'a', '.', 't', 'x', 't'});
  PutU32(dir, a.compressed);
  PutU32(dir, a.uncompressed);
  std::string name = LoadError(Archive(dir, {a.block}, static_cast<std::uint32_t>(dir.size())));
  EXPECT_NE(name.find("TArchiveFile.ReadHeader error: NameLength 1000 exceeds the directory"), std::string::npos) << name;

  // An entry count no directory of this size can hold.
  Bytes many;
  PutU32(many, 0x7FFFFFFF);
  std::string count = LoadError(Archive(many, {}, static_cast<std::uint32_t>(many.size())));
  EXPECT_NE(count.find("EntryCount"), std::string::npos) << count;

  // Sizes of 2^31 and more are outside the format.
  RawEntry big = a;
  big.uncompressed = 0x80000000u;
  std::string size = LoadError(Archive({big}));
  EXPECT_NE(size.find("UncompressedSize"), std::string::npos) << size;

  // Two names equal but for case would put the later blocks on the wrong entries.
  // Equal names need not be neighbours in the directory to be found.
  std::string dup = LoadError(Archive({Entry("a.txt", "1"), Entry("m.txt", "3"), Entry("A.TXT", "2")}));
  EXPECT_NE(dup.find("duplicate entry name"), std::string::npos) << dup;
  EXPECT_NE(dup.find("\"a.txt\""), std::string::npos) << dup;
  EXPECT_NE(dup.find("\"A.TXT\""), std::string::npos) << dup;
}

TEST(ResourceArchive, BlocksMustMatchTheirSizes) {
  Bytes content = ToBytes("some content that compresses somewhat somewhat somewhat");
  Bytes block = Zlib(content);
  auto entryWith = [&](std::uint32_t compressed, std::uint32_t uncompressed, Bytes stored) {
    RawEntry e{"e.txt", std::move(stored), compressed, uncompressed};
    return Load(Archive({e}));
  };
  auto decompressError = [](const TResourceFileArchive& archive) {
    try {
      Inflated(archive.Entries(0));
    } catch (const Error& e) {
      return std::string(e.what());
    }
    return std::string("(no error)");
  };
  const auto c = static_cast<std::uint32_t>(block.size());
  const auto u = static_cast<std::uint32_t>(content.size());

  EXPECT_NE(decompressError(entryWith(c, u + 1, block)).find("Stream read error"), std::string::npos);
  EXPECT_NE(decompressError(entryWith(c, u - 1, block)).find("inflates to more"), std::string::npos);
  // A block longer than its zlib stream.
  Bytes padded = block;
  padded.push_back(0);
  EXPECT_NE(decompressError(entryWith(c + 1, u, padded)).find("ends 1 bytes before"), std::string::npos);
  // A block shorter than its zlib stream.
  Bytes cut(block.begin(), block.end() - 3);
  EXPECT_NE(decompressError(entryWith(c - 3, u, cut)).find("Stream read error"), std::string::npos);
  // Damaged deflate data.
  Bytes damaged = block;
  damaged[2] ^= 0xFF;
  damaged[3] ^= 0xFF;
  EXPECT_NE(decompressError(entryWith(c, u, damaged)).find("TArchiveFile.Decompress error: entry \"e.txt\""),
            std::string::npos);
  // A block running past the archive's end.
  EXPECT_NE(LoadError(Archive({RawEntry{"e.txt", block, c + 100, u}})).find("TArchiveFile.ReadData error"),
            std::string::npos);
}

TEST(ResourceArchive, DeclaredSizesBeyondWhatZlibCanInflateAreRefusedAtLoad) {
  // zlib expands at most 1032 to 1: a block of c bytes never holds more
  // than 1032 * c bytes of content.
  Bytes content(5000, 'a');
  Bytes block = Zlib(content);
  const auto c = static_cast<std::uint32_t>(block.size());
  ASSERT_LT(c * 1032u, 0x7FFFFFF0u);
  // The largest honest size loads (the inflater then finds the stream short).
  EXPECT_EQ(Load(Archive({RawEntry{"big.txt", block, c, c * 1032u}})).Count(), 1);
  std::string entry = LoadError(Archive({Entry("fine.txt", "ok"),
                                         RawEntry{"huge.txt", block, c, c * 1032u + 1}}));
  EXPECT_NE(entry.find("TArchiveFile.ReadHeader error: entry \"huge.txt\" declares " + std::to_string(c * 1032u + 1) +
                       " bytes, more than its " + std::to_string(c) + " compressed bytes can hold"),
            std::string::npos)
      << entry;
  std::string huge = LoadError(Archive({RawEntry{"huge.txt", block, c, 0x7FFFFFF0u}}));
  EXPECT_NE(huge.find("entry \"huge.txt\" declares 2147483632 bytes"), std::string::npos) << huge;

  // The same for the directory against the bytes that follow its size.
  RawEntry a = Entry("a.txt", "alpha");
  Bytes dir = Directory({a});
  Bytes bytes = Archive(dir, {a.block}, 0x7FFFFFF0u);
  std::string directory = LoadError(bytes);
  EXPECT_NE(directory.find("TResourceFileArchive.LoadFromStream error: DirectorySize 2147483632 is more than the " +
                           std::to_string(bytes.size() - 4) + " bytes after it can hold"),
            std::string::npos)
      << directory;
}

TEST(ResourceArchive, DamagedDirectoryStreamRaisesTheInflaterError) {
  Bytes bytes = Archive({Entry("a.txt", "alpha")});
  bytes[4] = 0x00;  // no longer a zlib header
  std::string e = LoadError(bytes);
  EXPECT_NE(e.find("TResourceFileArchive.LoadFromStream error: the directory: zlib"), std::string::npos) << e;
}

TEST(ResourceArchive, LoadFromFileReportsAMissingFile) {
  TempDir dir;
  TResourceFileArchive archive;
  EXPECT_THROW(archive.LoadFromFile(dir.File("none.rfa")), Error);
  // A folder where the archive is expected.
  EXPECT_THROW(archive.LoadFromFile(dir.Path()), Error);
  archive.LoadFromFile(dir.Write("ok.rfa", Archive({Entry("x", "y")})));
  EXPECT_EQ(archive.Count(), 1);
}

}  // namespace
}  // namespace velmora
