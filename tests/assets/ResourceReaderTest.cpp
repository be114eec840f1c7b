// The asset reader: its four sources, the lookup rules of archive names,
// the writer, the --data selection, the archive the program carries, and
// the rfa tool's round trip.
#include <gtest/gtest.h>

#include <cstdlib>

#include "assets/ResourceReader.h"
#include "core/Error.h"
#include "platform/fake/FakeResources.h"
#include "tests/assets/AssetsTestSupport.h"

namespace velmora {
namespace {

using namespace assets_test;

std::string StreamText(TResourceFileReader& reader) {
  EXPECT_NE(reader.Stream(), nullptr);
  if (!reader.Stream()) return "";
  EXPECT_EQ(reader.Stream()->Position(), 0);
  return ToText(reader.Stream()->ReadRest());
}

class ArchiveReader : public ::testing::Test {
 protected:
  void SetUp() override {
    resources.Add("DATA_RFA", Archive({Entry("Clock.3dm", "clock mesh"), Entry("ravavezaz.gsc", "[MainScene]")}));
    reader.ArchiveName = "data.rfa";
    reader.Source = TResourceSource::rsArchiveResource;
  }
  platform::FakeResources resources;
  platform::ScopedService<platform::Resources> installed{&resources};
  TResourceFileReader reader;
};

TEST_F(ArchiveReader, LooksUpOnlyTheFileNameIgnoringCase) {
  EXPECT_TRUE(reader.Open("ravavezaz.gsc"));
  EXPECT_EQ(StreamText(reader), "[MainScene]");
  // The archive came from the resource named after ArchiveName.
  EXPECT_EQ(resources.lookups, std::vector<std::string>{"data_rfa"});

  for (const char* name : {"CLOCK.3DM", "./Scenes/clock.3dm", ".\\Scenes\\Clock.3dm", "c:clock.3dm", "/abs/x/CLOCK.3dm"}) {
    EXPECT_TRUE(reader.Open(name)) << name;
    EXPECT_EQ(StreamText(reader), "clock mesh") << name;
  }
  for (const char* name : {"clock", "clock.3dm.bak", "Scenes/", "clock.3dm/", ""}) {
    EXPECT_FALSE(reader.Open(name)) << name;
    EXPECT_EQ(reader.Stream(), nullptr) << name;
  }
  // Loaded once and kept.
  EXPECT_EQ(resources.lookups.size(), 1u);
}

TEST_F(ArchiveReader, EveryOpenInflatesAnewAndReplacesTheStream) {
  ASSERT_TRUE(reader.Open("clock.3dm"));
  TStream* first = reader.Stream();
  first->SetPosition(0);
  first->WriteBuffer("XXXXX", 5);  // a caller scribbling on its copy
  ASSERT_TRUE(reader.Open("clock.3dm"));
  EXPECT_EQ(StreamText(reader), "clock mesh");
  ASSERT_TRUE(reader.Open("ravavezaz.gsc"));
  EXPECT_EQ(StreamText(reader), "[MainScene]");
  reader.Close();
  EXPECT_EQ(reader.Stream(), nullptr);
}

TEST_F(ArchiveReader, ChangingTheSourceAfterLoadingDoesNotReload) {
  ASSERT_TRUE(reader.Open("clock.3dm"));
  reader.ArchiveName = "other.rfa";
  reader.Source = TResourceSource::rsArchiveFile;
  EXPECT_TRUE(reader.Open("clock.3dm"));
  // Any source value besides files and resources reads the archive.
  reader.Source = static_cast<TResourceSource>(7);
  EXPECT_TRUE(reader.Open("ravavezaz.gsc"));
  reader.FreeArchive();
  EXPECT_EQ(reader.Archive(), nullptr);
  // Now the value 7 loads from the resource of ArchiveName.
  EXPECT_THROW(reader.Open("clock.3dm"), Error);
}

TEST_F(ArchiveReader, EmptyDirectoryOpensNothing) {
  resources.Add("DATA_RFA", Archive(std::vector<RawEntry>{}));
  EXPECT_FALSE(reader.Open("ravavezaz.gsc"));
  EXPECT_FALSE(reader.Open("anything"));
  ASSERT_NE(reader.Archive(), nullptr);
  EXPECT_EQ(reader.Archive()->Count(), 0);
}

TEST_F(ArchiveReader, AMissingOrBrokenArchiveRaisesOnEveryOpen) {
  resources.Remove("DATA_RFA");
  try {
    reader.Open("ravavezaz.gsc");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TResourceStream.Create error: Resource data_rfa not found");
  }
  // A truncated archive: the error passes out, and since no partial archive
  // is kept the next Open raises again instead of handing out empty entries.
  Bytes good = Archive({Entry("a.txt", "alpha"), Entry("b.txt", "beta beta")});
  resources.Add("DATA_RFA", Bytes(good.begin(), good.end() - 4));
  EXPECT_THROW(reader.Open("a.txt"), Error);
  EXPECT_EQ(reader.Archive(), nullptr);
  EXPECT_THROW(reader.Open("a.txt"), Error);
  resources.Add("DATA_RFA", good);
  EXPECT_TRUE(reader.Open("b.txt"));
  EXPECT_EQ(StreamText(reader), "beta beta");
}

TEST(ResourceReaderSources, SingleResourcesAreNamedWithAnUnderscore) {
  platform::FakeResources resources;
  platform::ScopedService<platform::Resources> installed(&resources);
  resources.Add("RAVAVEZAZ_GSC", "scene text");
  TResourceFileReader reader;
  reader.Source = TResourceSource::rsResources;
  EXPECT_TRUE(reader.Open("./Scenes/ravavezaz.gsc"));
  EXPECT_EQ(StreamText(reader), "scene text");
  EXPECT_FALSE(reader.Open("missing.gsc"));
  EXPECT_EQ(reader.Stream(), nullptr);
  EXPECT_EQ(resources.lookups, (std::vector<std::string>{"ravavezaz_gsc", "missing_gsc"}));

  EXPECT_EQ(ResourceIdent("a.b.c"), "a_b.c");
  EXPECT_EQ(ResourceIdent("dir\\noext"), "noext");
}

TEST(ResourceReaderSources, PlainFilesUnderTheBasePath) {
  TempDir dir;
  dir.Write("clock.3dm", "from the base");
  std::filesystem::create_directories(dir.File("other"));
  dir.Write("other/clock.3dm", "from a folder");
  TResourceFileReader reader;
  reader.SetBasePath(dir.Path());
  EXPECT_EQ(reader.BasePath(), dir.Path() + "/");
  ASSERT_TRUE(reader.Open("clock.3dm"));
  EXPECT_EQ(StreamText(reader), "from the base");
  // A name with a folder part is used as it stands, "\" read as "/".
  ASSERT_TRUE(reader.Open(dir.Path() + "\\other\\clock.3dm"));
  EXPECT_EQ(StreamText(reader), "from a folder");
  EXPECT_FALSE(reader.Open("missing.3dm"));
  EXPECT_FALSE(reader.Open("other"));  // a folder, not a file
  EXPECT_EQ(reader.Stream(), nullptr);

  reader.SetBasePath("");
  EXPECT_EQ(reader.BasePath(), "");
  reader.SetBasePath("Scenes/");
  EXPECT_EQ(reader.BasePath(), "Scenes/");
}

TEST(ResourceReaderSources, ArchiveFileOnDisk) {
  TempDir dir;
  TResourceFileReader reader;
  reader.Source = TResourceSource::rsArchiveFile;
  reader.ArchiveName = dir.File("scene.rfa");
  EXPECT_THROW(reader.Open("a.txt"), Error);
  dir.Write("scene.rfa", Archive({Entry("a.txt", "alpha")}));
  ASSERT_TRUE(reader.Open("A.TXT"));
  EXPECT_EQ(StreamText(reader), "alpha");
}

TEST(ResourceFileWriter, CreatesAndReplacesFilesAndFailsQuietly) {
  TempDir dir;
  TResourceFileWriter writer;
  writer.SetBasePath(dir.Path());
  ASSERT_TRUE(writer.Open("shot.bmp"));
  writer.Stream()->WriteBuffer("old content", 11);
  ASSERT_TRUE(writer.Open("shot.bmp"));  // closes the first, replaces the file
  writer.Stream()->WriteBuffer("new", 3);
  writer.Close();
  EXPECT_EQ(ToText(dir.Read("shot.bmp")), "new");
  // A plain file where the folder should be: cannot be created, even as root.
  dir.Write("blocker", "x");
  EXPECT_FALSE(writer.Open(dir.File("blocker") + "/shot.bmp"));
  EXPECT_EQ(writer.Stream(), nullptr);
}

class DataSource : public ::testing::Test {
 protected:
  void TearDown() override {
    ResourceReader().ArchiveOverride.clear();
    ResourceReader().FreeArchive();
    ResourceReader().Close();
  }
  TempDir dir;
};

TEST_F(DataSource, OptionOrEnvironmentPointsTheReaderAtADiskArchive) {
  std::string option = dir.Write("option.rfa", Archive({Entry("ravavezaz.gsc", "option scene")}));
  std::string environment = dir.Write("env.rfa", Archive({Entry("ravavezaz.gsc", "environment scene")}));

  std::vector<std::string> args{"/s", "--data", option, "-x"};
  EXPECT_EQ(SelectDataSource(args, environment.c_str()), option);
  EXPECT_EQ(args, (std::vector<std::string>{"/s", "-x"}));
  // The world's own settings afterwards do not bring the carried archive back.
  TResourceFileReader& reader = ResourceReader();
  reader.ArchiveName = "data.rfa";
  reader.Source = TResourceSource::rsArchiveResource;
  ASSERT_TRUE(reader.Open("ravavezaz.gsc"));
  EXPECT_EQ(StreamText(reader), "option scene");
  reader.FreeArchive();
  ASSERT_TRUE(reader.Open("ravavezaz.gsc"));
  EXPECT_EQ(StreamText(reader), "option scene");

  std::vector<std::string> none{"/c"};
  EXPECT_EQ(SelectDataSource(none, environment.c_str()), environment);
  ASSERT_TRUE(reader.Open("ravavezaz.gsc"));
  EXPECT_EQ(StreamText(reader), "environment scene");

  std::vector<std::string> joined{"--data=" + option};
  EXPECT_EQ(SelectDataSource(joined, ""), option);
  EXPECT_TRUE(joined.empty());
}

TEST_F(DataSource, ARelativeNameSurvivesAChangeOfFolder) {
  dir.Write("rel.rfa", Archive({Entry("a.txt", "relative")}));
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  std::vector<std::string> args{"--data", "rel.rfa"};
  SelectDataSource(args, nullptr);
  std::filesystem::current_path(before);
  // The world reads from the carried archive; the chosen file stands in for it.
  ResourceReader().Source = TResourceSource::rsArchiveResource;
  ResourceReader().FreeArchive();
  ASSERT_TRUE(ResourceReader().Open("a.txt"));
  EXPECT_EQ(StreamText(ResourceReader()), "relative");
}

TEST_F(DataSource, NothingChosenKeepsTheCarriedArchive) {
  std::vector<std::string> args{"/p", "1234"};
  EXPECT_EQ(SelectDataSource(args, nullptr), "");
  EXPECT_EQ(SelectDataSource(args, ""), "");
  EXPECT_EQ(args.size(), 2u);
  EXPECT_EQ(ResourceReader().ArchiveOverride, "");
}

TEST_F(DataSource, BadChoicesRaiseAtOnce) {
  std::vector<std::string> missing{"--data", dir.File("missing.rfa")};
  EXPECT_THROW(SelectDataSource(missing, nullptr), Error);
  EXPECT_EQ(ResourceReader().ArchiveOverride, "");
  std::vector<std::string> noValue{"--data"};
  EXPECT_THROW(SelectDataSource(noValue, nullptr), Error);
  std::vector<std::string> emptyValue{"--data="};
  EXPECT_THROW(SelectDataSource(emptyValue, nullptr), Error);
  std::string corrupt = dir.Write("corrupt.rfa", "not an archive at all");
  std::vector<std::string> bad{"--data", corrupt};
  try {
    SelectDataSource(bad, nullptr);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("ResourceReader.UseDataArchive error: cannot read the scene archive"),
              std::string::npos);
  }
}

TEST_F(DataSource, MainArgumentsAreCompactedInPlace) {
  std::string option = dir.Write("a.rfa", Archive({Entry("x", "y")}));
  std::string a0 = "velmora", a1 = "/s", a2 = "--data", a4 = "--version";
  std::string a3 = option;
  char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), a4.data(), nullptr};
  int argc = 5;
  EXPECT_EQ(SelectDataSource(argc, argv), option);
  ASSERT_EQ(argc, 3);
  EXPECT_EQ(argv[0], a0.data());
  EXPECT_EQ(argv[1], a1.data());
  EXPECT_EQ(argv[2], a4.data());
  EXPECT_EQ(argv[3], nullptr);
}

TEST(CarriedArchive, HoldsTheSceneDescription) {
  // No fake installed: the table of blocks linked into this executable.
  TResourceFileReader reader;
  reader.ArchiveName = "data.rfa";
  reader.Source = TResourceSource::rsArchiveResource;
  ASSERT_TRUE(reader.Open("ravavezaz.gsc"));
  EXPECT_NE(StreamText(reader).find("[MainScene]"), std::string::npos);
  EXPECT_GE(reader.Archive()->Count(), 1);
}

TEST(RfaTool, PackListExtractRoundTrip) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("src/sub"));
  Bytes binary;
  for (int i = 0; i < 5000; ++i) binary.push_back(static_cast<std::uint8_t>(i * 7 + i / 13));
  dir.Write("src/sub/Texture.JPG", binary);
  dir.Write("src/scene.gsc", "[MainScene]\r\nCount=0\r\n");
  dir.Write("src/empty.txt", "");
  auto run = [&](const std::string& args) {
    std::string command = std::string(VELMORA_RFA_TOOL) + " " + args + " >" + dir.File("out.txt") + " 2>&1";
    int status = std::system(command.c_str());
    return status;
  };
  ASSERT_EQ(run("pack " + dir.File("t.rfa") + " " + dir.File("src/sub/Texture.JPG") + " " + dir.File("src/scene.gsc") +
                " " + dir.File("src/empty.txt")),
            0)
      << ToText(dir.Read("out.txt"));

  TResourceFileReader reader;
  reader.Source = TResourceSource::rsArchiveFile;
  reader.ArchiveName = dir.File("t.rfa");
  ASSERT_TRUE(reader.Open("texture.jpg"));
  EXPECT_EQ(reader.Stream()->ReadRest(), binary);
  ASSERT_TRUE(reader.Open("SCENE.GSC"));
  EXPECT_EQ(StreamText(reader), "[MainScene]\r\nCount=0\r\n");
  ASSERT_TRUE(reader.Open("empty.txt"));
  EXPECT_EQ(reader.Stream()->Size(), 0);

  ASSERT_EQ(run("list " + dir.File("t.rfa")), 0);
  std::string listing = ToText(dir.Read("out.txt"));
  const TResourceFileArchive& archive = *reader.Archive();
  std::string expected;
  for (int i = 0; i < archive.Count(); ++i)
    expected += archive.Entries(i).Name + "\t" + std::to_string(archive.Entries(i).CompressedSize) + "\t" +
                std::to_string(archive.Entries(i).UncompressedSize) + "\n";
  EXPECT_EQ(listing, expected);
  EXPECT_EQ(listing.substr(0, 10), "empty.txt\t");

  ASSERT_EQ(run("extract " + dir.File("t.rfa") + " " + dir.File("all")), 0);
  EXPECT_EQ(dir.Read("all/Texture.JPG"), binary);
  EXPECT_EQ(ToText(dir.Read("all/scene.gsc")), "[MainScene]\r\nCount=0\r\n");
  ASSERT_EQ(run("extract " + dir.File("t.rfa") + " " + dir.File("one") + " scene.GSC"), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.File("one/scene.gsc")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("one/Texture.JPG")));

  // Names equal but for case, a missing name, a missing input, bad usage.
  dir.Write("src/SCENE.gsc", "x");
  EXPECT_NE(run("pack " + dir.File("u.rfa") + " " + dir.File("src/scene.gsc") + " " + dir.File("src/SCENE.gsc")), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("u.rfa")));
  EXPECT_NE(run("extract " + dir.File("t.rfa") + " " + dir.File("two") + " nothing.txt"), 0);
  EXPECT_NE(run("pack " + dir.File("v.rfa") + " " + dir.File("src/none")), 0);
  EXPECT_NE(run("list"), 0);
}

TEST(RfaTool, ExtractRefusesEntryNamesThatAreNotPlainFileNames) {
  TempDir dir;
  dir.Write("evil.rfa", Archive({Entry("../escaped.txt", "x")}));
  std::string command = std::string(VELMORA_RFA_TOOL) + " extract " + dir.File("evil.rfa") + " " + dir.File("out") +
                        " >/dev/null 2>&1";
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("escaped.txt")));
}

}  // namespace
}  // namespace velmora
