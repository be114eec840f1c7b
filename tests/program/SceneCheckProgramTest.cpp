// velmora --check and --save-scene run as a pack maker runs them: on the
// carried scene, and on packs made from the carried archive with rfa
// extract, edited one problem at a time, as a folder or packed again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/app/JpegDecode.h"
#include "tests/program/ProgramTestSupport.h"
#include "tests/assets/ImageTestSupport.h"
#include "tests/assets/WaveTestSupport.h"

namespace {

using programtest::Outcome;

// A description read as the loader reads it (comments, blanks around "=",
// the first of two sections or keys of the same name), section by section
// in file order, each with its keys.
using Sections = std::vector<std::pair<std::string, std::map<std::string, std::string>>>;

Sections ParseDescription(const std::string& text) {
  Sections sections;
  std::vector<std::string> seen;
  bool skipping = false;
  std::istringstream in(text);
  std::string line;
  auto trim = [](std::string s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
  };
  while (std::getline(in, line)) {
    line = trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      std::string name = trim(line.substr(1, line.size() - 2));
      skipping = std::find(seen.begin(), seen.end(), name) != seen.end();
      if (!skipping) {
        seen.push_back(name);
        sections.push_back({name, {}});
      }
      continue;
    }
    const auto eq = line.find('=');
    if (skipping || sections.empty() || eq == std::string::npos) continue;
    sections.back().second.emplace(trim(line.substr(0, eq)), trim(line.substr(eq + 1)));
  }
  return sections;
}

// The objects of a description: per section with a type, "section: Type Name".
std::vector<std::string> Objects(const Sections& sections) {
  std::vector<std::string> objects;
  for (const auto& [name, keys] : sections)
    if (keys.count("Type")) objects.push_back(name + ": " + keys.at("Type") + " " + keys.at("Name"));
  return objects;
}

class SceneCheck : public programtest::ProgramTest {
 protected:
  // The carried archive's files in a new folder, as "rfa extract" gives them.
  std::string Extract(const std::string& name) {
    const std::string dir = File(name);
    const std::string command =
        std::string("'") + VELMORA_RFA_TOOL + "' extract '" + VELMORA_DATA_ARCHIVE + "' '" + dir + "' > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_TRUE(std::filesystem::exists(dir + "/ravavezaz.gsc"));
    return dir;
  }

  // The folder's files packed into an archive with "rfa pack".
  std::string Pack(const std::string& dir) {
    const std::string archive = dir + ".rfa";
    std::string command = std::string("'") + VELMORA_RFA_TOOL + "' pack '" + archive + "'";
    for (const auto& entry : std::filesystem::directory_iterator(dir)) command += " '" + entry.path().string() + "'";
    command += " > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return archive;
  }

  // The first line of the file that is exactly from becomes to.
  static void ReplaceLine(const std::string& file, const std::string& from, const std::string& to) {
    std::string text = Read(file);
    const size_t at = text.find("\n" + from + "\n");
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at + 1, from.size(), to);
    std::ofstream(file, std::ios::binary) << text;
  }

  static void WriteBytes(const std::string& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
  }

  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // The problem lines that start with prefix.
  static int CountLines(const std::string& out, const std::string& prefix) {
    int n = 0;
    for (const std::string& line : Lines(out))
      if (line.rfind(prefix, 0) == 0) ++n;
    return n;
  }

  // The summary's value of name ("problems" ...), -1 without a summary.
  static int Summary(const std::string& out, const std::string& name) {
    const std::vector<std::string> lines = Lines(out);
    static const std::regex form("objects=\\d+ textures=\\d+ meshes=\\d+ sounds=\\d+ problems=\\d+");
    if (lines.empty() || !std::regex_match(lines.back(), form)) return -1;
    const size_t at = lines.back().find(name + "=");
    return at == std::string::npos ? -1 : std::stoi(lines.back().substr(at + name.size() + 1));
  }

  // Every file below the test's settings folder: the runs write none.
  std::vector<std::string> SettingsFiles() const {
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(File("config"), ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      if (it->is_regular_file()) files.push_back(it->path().string());
    return files;
  }
};

TEST_F(SceneCheck, TheCarriedSceneChecksCleanAndWritesNoSettings) {
  Outcome carried = Run({"--check"});
  EXPECT_EQ(carried.code, 0) << carried.out << carried.err;
  // Nothing but the summary: no error and no warning.
  EXPECT_EQ(Lines(carried.out).size(), 1u) << carried.out;
  EXPECT_EQ(Summary(carried.out, "problems"), 0) << carried.out;
  EXPECT_GT(Summary(carried.out, "objects"), 0);
  EXPECT_GT(Summary(carried.out, "textures"), 0);
  EXPECT_GT(Summary(carried.out, "meshes"), 0);
  EXPECT_EQ(Summary(carried.out, "sounds"), 2);
  EXPECT_TRUE(SettingsFiles().empty());

  // Its files, as a folder and packed again, are the same scene: every file
  // is read by something, so none is reported unused.
  const std::string dir = Extract("pack");
  for (const std::string& data : {dir, Pack(dir)}) {
    Outcome o = Run({"--check", "--data", data});
    EXPECT_EQ(o.code, 0) << data << "\n" << o.out << o.err;
    EXPECT_EQ(o.out, carried.out) << data;
  }
  EXPECT_TRUE(SettingsFiles().empty());
}

TEST_F(SceneCheck, FilesTheDataLacksAreErrorsWhereTheDescriptionNamesThem) {
  const std::string dir = Extract("missing");
  for (const char* gone : {"water.jpg", "tang.3dm", "bubbles2.wav", "perch.jpg", "Blue.jpg"})
    std::filesystem::remove(dir + "/" + gone);
  // From an archive a missing file leaves the object empty and the load
  // goes on, so every one of them is found.
  Outcome packed = Run({"--check", "--data", Pack(dir)});
  EXPECT_EQ(packed.code, 1) << packed.out << packed.err;
  const std::string missing = " is missing from the data";
  EXPECT_EQ(CountLines(packed.out, "error: ravavezaz.gsc [Textures2] TextureName: the file water.jpg" + missing), 1)
      << packed.out;
  EXPECT_EQ(CountLines(packed.out, "error: ravavezaz.gsc [Meshes9] SourceName: the file tang.3dm" + missing), 1)
      << packed.out;
  EXPECT_EQ(CountLines(packed.out, "error: ravavezaz.gsc [Sounds2] FileName: the file bubbles2.wav" + missing), 1)
      << packed.out;
  // A picture a mesh's material names, and a skin no frame shows.
  EXPECT_EQ(CountLines(packed.out, "error: perch.3dm [Material PerchBody] DiffuseMap: the file perch.jpg" + missing), 1)
      << packed.out;
  EXPECT_EQ(CountLines(packed.out, "error: ravavezaz.gsc [Textures7] FileListName: the file Blue.jpg" + missing), 1)
      << packed.out;
  EXPECT_EQ(CountLines(packed.out, "error: "), 5) << packed.out;
  // The fish's pictures are left over with its mesh gone.
  EXPECT_EQ(CountLines(packed.out, "warning: tang.jpg: "), 1) << packed.out;
  EXPECT_EQ(Summary(packed.out, "problems"), static_cast<int>(Lines(packed.out).size()) - 1);

  // From a folder a missing file is an error of the platform that stops
  // the load, as in the saver (the sound, the last object); the pictures
  // and meshes of the objects read before it are still all tried.
  Outcome folder = Run({"--check", "--data", dir});
  EXPECT_EQ(folder.code, 1) << folder.out << folder.err;
  EXPECT_EQ(CountLines(folder.out, "error: ravavezaz.gsc [Sounds2] FileName: TWaveSound.LoadFromFile error: file "), 1)
      << folder.out;
  const std::string cannot = "TFileStream.Create error: Cannot open file \"" + dir + "/";
  EXPECT_EQ(CountLines(folder.out, "error: ravavezaz.gsc [Textures2] TextureName: " + cannot + "water.jpg"), 1)
      << folder.out;
  EXPECT_EQ(CountLines(folder.out, "error: ravavezaz.gsc [Meshes9] SourceName: " + cannot + "tang.3dm"), 1)
      << folder.out;
  EXPECT_EQ(CountLines(folder.out, "error: perch.3dm [Material PerchBody] DiffuseMap: " + cannot + "perch.jpg"), 1)
      << folder.out;
  EXPECT_EQ(CountLines(folder.out, "error: ravavezaz.gsc [Textures7] FileListName: " + cannot + "Blue.jpg"), 1)
      << folder.out;
  // No file is called unused when the load did not end.
  EXPECT_EQ(Summary(folder.out, "problems"), 5) << folder.out;
}

TEST_F(SceneCheck, MistakesInTheDescriptionAreReportedAtTheirKey) {
  struct Case {
    std::string from, to, line;
    int code;
  } cases[] = {
      {"Type=TFishes\nName=Blue Tang", "Type=TFish\nName=Blue Tang",
       "error: ravavezaz.gsc [SaltWater2] Type: TResourceLoader.CreateObject error: Object not created! for "
       "SaltWater2 Type: TFish Name: Blue Tang",
       1},
      {"FogColor=0,153,174,255", "FogColor=0,153,374,255",
       "error: ravavezaz.gsc [MainScene8] FogColor: TResourceLoader.ReadColorBytes error: 374 is out of range 0..255",
       1},
      {"Visual=Meshes/clownfish.3dm", "Visual=Meshes/clownfsh.3dm",
       "warning: ravavezaz.gsc [SaltWater3] Visual: the path Meshes/clownfsh.3dm finds nothing", 0},
      {"Light=Green Light", "Light=Textures/water.jpg",
       "warning: ravavezaz.gsc [MainScene9] Light: the path Textures/water.jpg finds a TSceneTexture, which this key "
       "cannot use",
       0},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string dir = Extract("edit" + std::to_string(++n));
    // Two-line edits: the first line finds the place, the second is changed.
    const std::string gsc = dir + "/ravavezaz.gsc";
    std::string text = Read(gsc);
    const size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.from;
    text.replace(at, c.from.size(), c.to);
    std::ofstream(gsc, std::ios::binary) << text;
    Outcome o = Run({"--check", "--data", dir});
    EXPECT_EQ(o.code, c.code) << o.out << o.err;
    EXPECT_EQ(CountLines(o.out, c.line), 1) << o.out;
    EXPECT_EQ(Summary(o.out, "problems"), 1) << o.out;
  }
}

TEST_F(SceneCheck, FittedPicturesConvertedSoundsAndUnusedFilesAreWarnings) {
  const std::string dir = Extract("warnings");
  // A picture 300 x 200, a sound at 11025 Hz mono 8-bit (the scene's
  // device plays 22050 Hz stereo 16-bit), a file nothing names.
  WriteBytes(dir + "/water.jpg",
             image_test::MakeJpeg(image_test::FlatJpeg(300, 200, {40, 120, 200}, JCS_RGB)));
  wave_test::Format mono8;
  mono8.rate = 11025;
  mono8.bits = 8;
  WriteBytes(dir + "/bubbles2.wav", wave_test::PcmWave(mono8, std::vector<std::uint8_t>(2000, 128)));
  std::ofstream(dir + "/notes.txt") << "not part of the scene\n";
  for (const std::string& data : {dir, Pack(dir)}) {
    Outcome o = Run({"--check", "--data", data});
    EXPECT_EQ(o.code, 0) << data << "\n" << o.out << o.err;
    EXPECT_EQ(CountLines(o.out, "warning: ravavezaz.gsc [Textures2] TextureName: water.jpg is 300x200, not powers "
                                "of two up to 1024: fitted to 256x128"),
              1)
        << o.out;
    EXPECT_EQ(CountLines(o.out, "warning: ravavezaz.gsc [Sounds2] FileName: bubbles2.wav is 11025 Hz, 1 channel, "
                                "8-bit; converted to the device's 22050 Hz, 2 channels, 16-bit"),
              1)
        << o.out;
    EXPECT_EQ(CountLines(o.out, "warning: notes.txt: the pack holds this file, but the scene never reads it"), 1)
        << o.out;
    EXPECT_EQ(Summary(o.out, "problems"), 3) << o.out;
  }
}

TEST_F(SceneCheck, UnreadableDataAndMistakesOfTheCommandLine) {
  Outcome noData = Run({"--check", "--data", File("nothing.rfa")});
  EXPECT_EQ(noData.code, 1) << noData.err;
  EXPECT_EQ(CountLines(noData.out, "error: ResourceReader.UseDataArchive error: cannot read the scene archive"), 1)
      << noData.out;
  EXPECT_EQ(Summary(noData.out, "problems"), 1);
  // A folder without the scene's description.
  std::filesystem::create_directories(File("empty"));
  Outcome empty = Run({"--check", "--data", File("empty")});
  EXPECT_EQ(empty.code, 1) << empty.out;
  EXPECT_NE(empty.out.find("ravavezaz.gsc"), std::string::npos) << empty.out;

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--save-scene"}, {"--check", "--bench", "1"}, {"--check", "/s"},
        {"--save-scene", "a.gsc", "--check"}}) {
    Outcome o = Run(args);
    EXPECT_EQ(o.code, 2) << args[0] << "\n" << o.err;
    EXPECT_NE(o.err.find("usage: velmora"), std::string::npos) << o.err;
  }
  Outcome help = Run({"--help"});
  EXPECT_NE(help.out.find("--check"), std::string::npos);
  EXPECT_NE(help.out.find("--save-scene OUT.gsc"), std::string::npos);
}

// Every key of the descriptions that holds an object path.
const char* const kReferenceKeys[] = {"Material",   "Texture",         "Visual",        "Font",        "Materials",
                                      "Textures",   "Sprites",         "Objects",       "LightMapTexture",
                                      "ClockFace",  "HourHand",        "MinHand",       "SecHand",
                                      "BottomTexture", "UpTexture",    "LightTexture",  "UpLightMap",
                                      "BottomLightMap", "BackgroundLightMap", "Light",  "Background"};

// Rewrites the description file: every reference key with a value gets the
// path "Nowhere/<key>"; returns "[section] key" of each, in file order.
std::vector<std::string> LoseReferences(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::istringstream lines(text.str());
  std::string out, section;
  std::vector<std::string> lost;
  for (std::string line; std::getline(lines, line);) {
    std::string bare = line;
    if (!bare.empty() && bare.back() == '\r') bare.pop_back();
    if (!bare.empty() && bare.front() == '[' && bare.back() == ']') section = bare.substr(1, bare.size() - 2);
    const size_t eq = bare.find('=');
    if (!bare.empty() && bare[0] != ';' && eq != std::string::npos && eq + 1 < bare.size()) {
      const std::string key = bare.substr(0, eq);
      for (const char* reference : kReferenceKeys)
        if (key == reference) {
          line = key + "=Nowhere/" + key + (line.back() == '\r' ? "\r" : "");
          lost.push_back("[" + section + "] " + key);
        }
    }
    out += line + "\n";
  }
  std::ofstream(file, std::ios::binary) << out;
  return lost;
}

// Takes the children of type `type` out of the scene's own list: the
// sections go, the later children move up and Count follows.
int RemoveSceneChildren(const std::string& file, const std::string& type) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream whole;
  whole << in.rdbuf();
  // The file as blocks, each a section header with the lines after it.
  std::vector<std::string> blocks(1);
  std::istringstream lines(whole.str());
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] == '[') blocks.emplace_back();
    blocks.back() += line + "\n";
  }
  static const std::regex child("^\\[MainScene(\\d+)\\]");
  int removed = 0, count = 0;
  std::string out;
  for (const std::string& block : blocks) {
    std::smatch m;
    if (std::regex_search(block, m, child)) {
      if (block.find("\nType=" + type + "\n") != std::string::npos) {
        ++removed;
        continue;
      }
      ++count;
      out += std::regex_replace(block, child, "[MainScene" + std::to_string(std::stoi(m[1]) - removed) + "]",
                                std::regex_constants::format_first_only);
      continue;
    }
    out += block;
  }
  // The scene's own Count is the first "Count=" of the file.
  static const std::regex countLine("\nCount=\\d+");
  out = std::regex_replace(out, countLine, "\nCount=" + std::to_string(count), std::regex_constants::format_first_only);
  std::ofstream(file, std::ios::binary) << out;
  return removed;
}

// The colours of a film frame, each channel cut to 16 steps.
int FrameColours(const std::string& jpeg) {
  std::ifstream in(jpeg, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  testjpeg::Decoded frame;
  if (!testjpeg::DecodeJpeg(bytes, frame)) return -1;
  std::set<int> colours;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) {
      const uint8_t* p = frame.Pixel(x, y);
      colours.insert((p[0] >> 4) << 8 | (p[1] >> 4) << 4 | (p[2] >> 4));
    }
  return static_cast<int>(colours.size());
}

TEST_F(SceneCheck, ReferencesThatFindNothingAreWarningsAndTheSaverRuns) {
  const std::string dir = Extract("lost");
  std::vector<std::string> lost;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().extension() == ".gsc") {
      const std::vector<std::string> more = LoseReferences(entry.path().string());
      for (const std::string& place : more) lost.push_back(entry.path().filename().string() + " " + place);
    }
  ASSERT_GT(lost.size(), 80u);
  Outcome o = Run({"--check", "--data", dir});
  EXPECT_EQ(o.code, 0) << o.out << o.err;
  EXPECT_EQ(CountLines(o.out, "error:"), 0) << o.out;
  for (const std::string& place : lost) {
    const std::string key = place.substr(place.rfind(' ') + 1);
    EXPECT_EQ(CountLines(o.out, "warning: " + place + ": the path Nowhere/" + key + " finds nothing"), 1)
        << place << "\n" << o.out;
  }
  // For a pack's CI every warning fails the check; the findings are the same.
  Outcome strict = Run({"--check", "--strict", "--data", dir});
  EXPECT_EQ(strict.code, 1) << strict.out << strict.err;
  EXPECT_EQ(strict.out, o.out);
  // The saver runs the scene: whatever lost its reference is left out.
  Outcome film = Run({"--film", "1", "--rate", "5", "--size", "160x120", "--out", File("lost.jpg"), "--data", dir});
  EXPECT_EQ(film.code, 0) << film.err;
  EXPECT_TRUE(std::filesystem::exists(File("lost00005.jpg"))) << film.err;
}

TEST_F(SceneCheck, StrictCountsWarningsOnlyWhenAskedAndBelongsToTheCheck) {
  // The carried scene has no problem: strict or not, it passes.
  Outcome clean = Run({"--check", "--strict"});
  EXPECT_EQ(clean.code, 0) << clean.out << clean.err;
  EXPECT_EQ(Summary(clean.out, "problems"), 0) << clean.out;
  // One warning: exit 0 without --strict, 1 with it.
  const std::string dir = Extract("strict");
  std::ofstream(dir + "/notes.txt") << "not part of the scene\n";
  Outcome relaxed = Run({"--check", "--data", dir});
  EXPECT_EQ(relaxed.code, 0) << relaxed.out;
  EXPECT_EQ(Summary(relaxed.out, "problems"), 1) << relaxed.out;
  Outcome strict = Run({"--data", dir, "--strict", "--check"});
  EXPECT_EQ(strict.code, 1) << strict.out;
  EXPECT_EQ(strict.out, relaxed.out);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--strict"}, {"--film", "1", "--strict"}}) {
    Outcome o = Run(args);
    EXPECT_EQ(o.code, 2) << o.err;
    EXPECT_NE(o.err.find("--strict belongs to --check"), std::string::npos) << o.err;
  }
  Outcome help = Run({"--help"});
  EXPECT_NE(help.out.find("--strict"), std::string::npos) << help.out;
}

TEST_F(SceneCheck, ASceneWithoutWaterRunsAndDrawsEverythingElse) {
  const std::string dir = Extract("nowater");
  ASSERT_EQ(RemoveSceneChildren(dir + "/ravavezaz.gsc", "TUnderWater"), 3);
  const std::string text = Read(dir + "/ravavezaz.gsc");
  ASSERT_EQ(text.find("TUnderWater"), std::string::npos);
  ASSERT_NE(text.find("[MainScene13]\nType=TSceneSoundList"), std::string::npos) << text.substr(0, 400);

  Outcome check = Run({"--check", "--data", dir});
  EXPECT_EQ(check.code, 0) << check.out << check.err;
  EXPECT_EQ(CountLines(check.out, "error:"), 0) << check.out;
  // Films of the scene with and without water: the one without still shows
  // the fish, the bubbles and the clock over the clear colour.
  Outcome film = Run({"--film", "1", "--rate", "5", "--size", "320x240", "--out", File("dry.jpg"), "--data", dir});
  ASSERT_EQ(film.code, 0) << film.err;
  const int dry = FrameColours(File("dry00005.jpg"));
  EXPECT_GT(dry, 20) << "a frame of few colours: the scene was not drawn";
  // The settings the run keeps (none were stored) and a second run with
  // every water option changed on the command line still run.
  Outcome options = Run({"--film", "1", "--rate", "2", "--size", "160x120", "--out", File("opt.jpg"), "--data", dir,
                         "-water", "green", "-fish-count", "5", "-bubble-count", "10"});
  EXPECT_EQ(options.code, 0) << options.err;
}

TEST_F(SceneCheck, TheSavedCarriedSceneLoadsBackIntoTheSameTree) {
  const std::string first = File("first.gsc");
  Outcome saved = Run({"--save-scene", first});
  ASSERT_EQ(saved.code, 0) << saved.err;
  // Every object of the description, in the same sections.
  const std::string dir = Extract("resaved");
  EXPECT_EQ(Objects(ParseDescription(Read(first))), Objects(ParseDescription(Read(dir + "/ravavezaz.gsc"))));

  // The written file as the pack's description: written again, the same
  // objects with the same keys and values.
  std::filesystem::copy_file(first, dir + "/ravavezaz.gsc", std::filesystem::copy_options::overwrite_existing);
  const std::string second = File("second.gsc");
  Outcome again = Run({"--save-scene", second, "--data", dir});
  ASSERT_EQ(again.code, 0) << again.err;
  const Sections a = ParseDescription(Read(first)), b = ParseDescription(Read(second));
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].first, b[i].first);
    EXPECT_EQ(a[i].second, b[i].second) << a[i].first;
  }
  // And the pack with it checks as clean as the carried one.
  Outcome check = Run({"--check", "--data", dir});
  EXPECT_EQ(check.code, 0) << check.out;
  EXPECT_EQ(Summary(check.out, "problems"), 0) << check.out;
  EXPECT_TRUE(SettingsFiles().empty());
}

TEST_F(SceneCheck, TheSavedSceneOfEveryClassLoadsBackIntoTheSameTree) {
  const std::string dir = Extract("every");
  std::filesystem::copy_file(std::string(VELMORA_TEST_DATA_DIR) + "/every-class.gsc", dir + "/ravavezaz.gsc",
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::copy_file(std::string(VELMORA_TEST_DATA_DIR) + "/every-class-clock.gsc",
                             dir + "/every-class-clock.gsc");
  Outcome check = Run({"--check", "--data", dir});
  EXPECT_EQ(check.code, 0) << check.out << check.err;
  EXPECT_EQ(CountLines(check.out, "error: "), 0) << check.out;

  const std::string first = File("every1.gsc"), second = File("every2.gsc");
  Outcome saved = Run({"--save-scene", first, "--data", dir});
  ASSERT_EQ(saved.code, 0) << saved.err;
  // One file: the sprites of the file of their own follow their list.
  const Sections a = ParseDescription(Read(first));
  std::vector<std::string> objects = Objects(a);
  EXPECT_NE(std::find(objects.begin(), objects.end(), "ClockSprites2: TSceneSprite 0"), objects.end());
  EXPECT_EQ(Read(first).find("every-class-clock.gsc"), std::string::npos);

  std::filesystem::copy_file(first, dir + "/ravavezaz.gsc", std::filesystem::copy_options::overwrite_existing);
  std::filesystem::remove(dir + "/every-class-clock.gsc");
  Outcome again = Run({"--save-scene", second, "--data", dir});
  ASSERT_EQ(again.code, 0) << again.err;
  const Sections b = ParseDescription(Read(second));
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].first, b[i].first);
    EXPECT_EQ(a[i].second, b[i].second) << a[i].first;
  }
  // The file names the folder it was written to nowhere.
  EXPECT_EQ(Read(first).find(dir), std::string::npos);
}

}  // namespace
