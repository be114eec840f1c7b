// The scene check's own parts: the problem lines and which of them show,
// where an error is placed, and the description with an object of every
// registered class that the program tests save and load back.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "core/Error.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneClasses.h"
#include "program/SceneCheck.h"

namespace {

using namespace velmora;

TEST(SceneCheckReport, ProblemLinesNameWhatIsKnownOfTheirPlace) {
  TDiagnostic full{TDiagnosticLevel::dlError, {"ravavezaz.gsc", "Textures2", "TextureName"}, "gone"};
  EXPECT_EQ(DiagnosticLine(full), "error: ravavezaz.gsc [Textures2] TextureName: gone");
  TDiagnostic file{TDiagnosticLevel::dlWarning, {"notes.txt", "", ""}, "unused"};
  EXPECT_EQ(DiagnosticLine(file), "warning: notes.txt: unused");
  TDiagnostic section{TDiagnosticLevel::dlError, {"", "Sounds2", ""}, "x"};
  EXPECT_EQ(DiagnosticLine(section), "error: [Sounds2]: x");
  EXPECT_EQ(DiagnosticLine(TDiagnostic{TDiagnosticLevel::dlError, {}, "plain"}), "error: plain");
}

TEST(SceneCheckReport, ErrorsArePlacedAndSupersedeWarningsAtTheSameKey) {
  TDiagnostics sink;
  TDiagnosticsScope scope(sink);
  // A material path that finds nothing: the reference warns, the mesh then
  // refuses it; only the error shows.
  sink.Report(TDiagnosticLevel::dlWarning, {"a.gsc", "Meshes1", "Material"}, "the path M finds nothing");
  ReportError(sink, TLoadError("m (file a.gsc, section [Meshes1], key Material)", {"a.gsc", "Meshes1", "Material"},
                               "TSceneMesh.ReadProperties error: no material"));
  sink.Report(TDiagnosticLevel::dlWarning, {"a.gsc", "Meshes2", "Material"}, "kept");
  // Any other error goes where it passed a place on its way out.
  int texture = 0;
  sink.SetPlace(&texture, "a.gsc", "Textures1");
  sink.ClearThrowPlace();
  try {
    TDiagnosticPlace place(&texture, "TextureName");
    RaiseError("TFileStream", "Create", "Cannot open file");
  } catch (const std::exception& error) {
    ReportError(sink, error);
  }
  const std::vector<TDiagnostic> shown = ProblemsToShow(sink);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(DiagnosticLine(shown[0]),
            "error: a.gsc [Meshes1] Material: TSceneMesh.ReadProperties error: no material");
  EXPECT_EQ(DiagnosticLine(shown[1]), "warning: a.gsc [Meshes2] Material: kept");
  EXPECT_EQ(DiagnosticLine(shown[2]), "error: a.gsc [Textures1] TextureName: TFileStream.Create error: Cannot open file");
}

TEST(SceneCheckReport, TheEveryClassSceneHasAnObjectOfEachClassTheProgramRegisters) {
  std::ifstream main(std::string(VELMORA_TEST_DATA_DIR) + "/every-class.gsc");
  std::ifstream clock(std::string(VELMORA_TEST_DATA_DIR) + "/every-class-clock.gsc");
  std::stringstream text;
  text << main.rdbuf() << clock.rdbuf();
  std::set<std::string> used;
  static const std::regex type(R"(^\s*Type\s*=\s*(\S+))");
  std::string line;
  while (std::getline(text, line))
    if (std::smatch m; std::regex_search(line, m, type)) used.insert(m[1]);
  // The test classes this executable registers besides the program's start
  // with "TTest".
  int classes = 0;
  for (const std::string& name : SceneClassNames()) {
    if (name.rfind("TTest", 0) == 0) continue;
    ++classes;
    EXPECT_TRUE(used.count(name)) << name;
  }
  EXPECT_EQ(classes, 26);
}

}  // namespace
