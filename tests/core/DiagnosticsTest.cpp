// The diagnostics sink: off unless a scope puts it in force, places of
// objects and of the code's current key, the place an exception passed,
// reports kept once, files noted by name.
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/Diagnostics.h"

using namespace velmora;

TEST(Diagnostics, OffByDefaultAndInForceOnlyWithinItsScope) {
  EXPECT_EQ(Diagnostics(), nullptr);
  // Without a sink, places and reports are no-ops.
  {
    TDiagnosticPlace place(TDiagnosticWhere{"a.gsc", "A", "Key"});
    Diagnose(TDiagnosticLevel::dlError, "nobody listens");
    NoteFileUsed("a.jpg");
  }
  TDiagnostics outer, inner;
  {
    TDiagnosticsScope a(outer);
    EXPECT_EQ(Diagnostics(), &outer);
    {
      TDiagnosticsScope b(inner);
      EXPECT_EQ(Diagnostics(), &inner);
    }
    EXPECT_EQ(Diagnostics(), &outer);
  }
  EXPECT_EQ(Diagnostics(), nullptr);
  EXPECT_TRUE(outer.Problems().empty());
  EXPECT_TRUE(inner.Problems().empty());
}

TEST(Diagnostics, ReportsGoToTheInnermostPlaceThatKnowsItsFile) {
  TDiagnostics sink;
  TDiagnosticsScope scope(sink);
  int texture = 0, madeLater = 0, mesh = 0;
  sink.SetPlace(&texture, ".\\Scenes\\ravavezaz.gsc", "Textures2");
  sink.SetPlace(&mesh, "/data/perch.3dm", "Material Body", {{"TextureName", "DiffuseMap"}});
  {
    TDiagnosticPlace onTexture(&texture, "TextureName");
    Diagnose(TDiagnosticLevel::dlError, "missing");
    {
      // An object without a place of its own: the outer place, which knows
      // where the description is, takes the report.
      TDiagnosticPlace unknown(&madeLater, "AlphaName");
      Diagnose(TDiagnosticLevel::dlWarning, "fitted");
    }
  }
  {
    TDiagnosticPlace onMesh(&mesh, "TextureName");
    Diagnose(TDiagnosticLevel::dlError, "missing");
  }
  Diagnose(TDiagnosticLevel::dlWarning, "nowhere");
  ASSERT_EQ(sink.Problems().size(), 4u);
  const TDiagnosticWhere& first = sink.Problems()[0].Where;
  EXPECT_EQ(first.File, "ravavezaz.gsc");  // the name as the pack knows it
  EXPECT_EQ(first.Section, "Textures2");
  EXPECT_EQ(first.Key, "TextureName");
  EXPECT_EQ(sink.Problems()[1].Where.Key, "TextureName");
  EXPECT_EQ(sink.Problems()[1].Level, TDiagnosticLevel::dlWarning);
  // Keys renamed as the mesh file calls them.
  EXPECT_EQ(sink.Problems()[2].Where.File, "perch.3dm");
  EXPECT_EQ(sink.Problems()[2].Where.Key, "DiffuseMap");
  EXPECT_TRUE(sink.Problems()[3].Where.File.empty());
  EXPECT_EQ(sink.Count(TDiagnosticLevel::dlError), 2);
  EXPECT_EQ(sink.Count(TDiagnosticLevel::dlWarning), 2);

  // The same report again adds nothing; a freed object loses its place.
  {
    TDiagnosticPlace again(&texture, "TextureName");
    Diagnose(TDiagnosticLevel::dlError, "missing");
  }
  EXPECT_EQ(sink.Problems().size(), 4u);
  sink.ForgetPlace(&texture);
  EXPECT_TRUE(sink.PlaceOf(&texture, "TextureName").File.empty());
}

TEST(Diagnostics, TheFirstPlaceAnExceptionPassesIsKept) {
  TDiagnostics sink;
  TDiagnosticsScope scope(sink);
  int sound = 0;
  sink.SetPlace(&sound, "ravavezaz.gsc", "Sounds2");
  try {
    TDiagnosticPlace outer(TDiagnosticWhere{"ravavezaz.gsc", "MainScene16", "SourceName"});
    TDiagnosticPlace inner(&sound, "FileName");
    throw std::runtime_error("file is not open");
  } catch (const std::exception&) {
  }
  ASSERT_TRUE(sink.HasThrowPlace());
  EXPECT_EQ(sink.ThrowPlace().Section, "Sounds2");
  EXPECT_EQ(sink.ThrowPlace().Key, "FileName");
  // A place left normally, or an exception caught within it, sets nothing.
  sink.ClearThrowPlace();
  {
    TDiagnosticPlace place(&sound, "Volume");
    try {
      throw std::runtime_error("handled inside");
    } catch (const std::exception&) {
    }
  }
  EXPECT_FALSE(sink.HasThrowPlace());
}

TEST(Diagnostics, FilesAreNotedByNameWithoutFolderOrCase) {
  TDiagnostics sink;
  TDiagnosticsScope scope(sink);
  NoteFileUsed(".\\Scenes\\Water.JPG");
  NoteFileUsed("/tmp/pack/bubble.3dm");
  EXPECT_TRUE(sink.FileUsed("water.jpg"));
  EXPECT_TRUE(sink.FileUsed("BUBBLE.3dm"));
  EXPECT_FALSE(sink.FileUsed("bubble.jpg"));
}
