// The description loader: the line format, every value syntax (also under
// a locale with a decimal comma), errors that name file, section and key,
// Encoded files, nested SourceName files, the archive as source, and the
// round trip through Save.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <cmath>
#include <locale>
#include <string>
#include <vector>

#include "assets/ResourceReader.h"
#include "scene/IniDocument.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneValues.h"
#include "tests/scene/SceneTestSupport.h"

namespace scenetest {
namespace {

using Names = std::vector<std::string>;

std::string Inverted(const std::string& text) {
  std::string out;
  for (char c : text) out += (c == '\r' || c == '\n') ? c : static_cast<char>(~static_cast<unsigned char>(c));
  return out;
}

// A loader on the lines of text, in section.
struct Doc {
  explicit Doc(const std::string& text, const std::string& section = "S") {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    loader.OpenLines(lines);
    loader.Section = section;
  }
  TResourceLoader loader;
};

TEST(SceneValues, IntegersDecimalAndHexadecimal) {
  EXPECT_EQ(SceneStrToInt("42"), 42);
  EXPECT_EQ(SceneStrToInt(" -7 "), -7);
  EXPECT_EQ(SceneStrToInt("+3"), 3);
  EXPECT_EQ(SceneStrToInt("$1F"), 31);
  EXPECT_EQ(SceneStrToInt("0x1f"), 31);
  EXPECT_EQ(SceneStrToInt("-$10"), -16);
  EXPECT_EQ(SceneStrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(SceneStrToInt("2147483647"), 2147483647);
  EXPECT_EQ(SceneStrToInt("-2147483648"), INT32_MIN);
  for (const char* bad : {"", " ", "0.5", "1e3", "2147483648", "$", "0x", "$100000000", "--1", "+-1", "12a", "x1"})
    EXPECT_FALSE(SceneStrToInt(bad).has_value()) << bad;
}

TEST(SceneValues, FloatsReadWithPointAndWriteSevenDigits) {
  EXPECT_EQ(SceneStrToFloat("6000.0"), 6000.0f);
  EXPECT_EQ(SceneStrToFloat("-0.5"), -0.5f);
  EXPECT_EQ(SceneStrToFloat(".25"), 0.25f);
  EXPECT_EQ(SceneStrToFloat("1E37"), 1e37f);
  EXPECT_EQ(SceneStrToFloat("2.5e-3"), 2.5e-3f);
  for (const char* bad : {"", "0,5", "inf", "nan", "-inf", "0x10", "1e", "e5", "1.2.3", "1 2"})
    EXPECT_FALSE(SceneStrToFloat(bad).has_value()) << bad;

  const std::pair<float, const char*> cases[] = {
      {6000.0f, "6000"},        {0.7f, "0.7"},           {-2900.0f, "-2900"},   {1.0f / 3, "0.3333333"},
      {1234567.0f, "1234567"},  {12345678.0f, "1.234568E07"}, {0.00001f, "0.00001"}, {0.000001f, "1E-06"},
      {1.5e-6f, "1.5E-06"},     {1e37f, "1E37"},         {-1e-20f, "-1E-20"},   {0.0f, "0"},
      {100.0f, "100"},          {9999999.0f, "9999999"}, {0.125f, "0.125"},     {3.0e20f, "3E20"},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(SceneFloatToStr(value), text) << value;
    // What is written reads back to the nearest float of seven digits.
    EXPECT_NEAR(*SceneStrToFloat(SceneFloatToStr(value)), value, std::fabs(value) * 1e-6f);
  }
}

TEST(SceneValues, ColoursAndVectorsStartFromTheirDefaults) {
  const TGLColor half = SceneStrToColor("0.5");
  EXPECT_EQ(half, (TGLColor{0.5f, 1, 1, 1}));
  EXPECT_EQ(SceneStrToColor("1,0"), (TGLColor{1, 0, 1, 1}));
  EXPECT_EQ(SceneStrToColor("1,1,1,0.7,9,9"), (TGLColor{1, 1, 1, 0.7f}));
  EXPECT_EQ(SceneStrToColor("\"0.25\" 0.5,\"0.75\""), (TGLColor{0.25f, 0.5f, 0.75f, 1}));
  EXPECT_EQ(SceneStrToVector("0,0,-2900"), (TGLVector{0, 0, -2900}));
  EXPECT_EQ(SceneStrToVector("0 0  -2900"), (TGLVector{0, 0, -2900}));
  EXPECT_EQ(SceneStrToVector("5"), (TGLVector{5, 0, 0}));
  EXPECT_EQ(SceneStrToColorBytes("0,106,156,255"), (TGLColorBytes{0, 106, 156, 255}));
  EXPECT_EQ(SceneStrToColorBytes("10"), (TGLColorBytes{10, 255, 255, 255}));
  EXPECT_EQ(SceneColorToStr({1, 1, 1, 0.7f}), "1,1,1,0.7");
  EXPECT_EQ(SceneVectorToStr({0, 0, -2900}), "0,0,-2900");
  EXPECT_EQ(SceneColorBytesToStr({0, 106, 156, 255}), "0,106,156,255");
  EXPECT_EQ(Message([] { SceneStrToColor("1,x"); }), "'x' is not a valid floating point value");
  EXPECT_EQ(Message([] { SceneStrToColorBytes("1,256"); }), "256 is out of range 0..255");
  EXPECT_EQ(Message([] { SceneStrToColorBytes("-1"); }), "-1 is out of range 0..255");
  EXPECT_EQ(Message([] { SceneStrToColorBytes("0.5"); }), "'0.5' is not a valid integer value");
}

TEST(IniDocument, LinesSectionsKeysAndFirstOccurrences) {
  TIniDocument doc;
  doc.Parse({"key=before any section", "  [ First ]  ", "  Key  =  value = with equals  ", "; [Hidden]",
             "  ;Commented=1", "no equals sign", "=no key", "key=second", "[first]", "Other=1", "[Empty]", "",
             "[Second]", "A="});
  ASSERT_EQ(doc.SectionCount(), 4);
  std::string value;
  ASSERT_TRUE(doc.ReadValue("FIRST", "KEY", value));
  EXPECT_EQ(value, "value = with equals");
  EXPECT_FALSE(doc.ReadValue("First", "Other", value));  // the second [first] is never consulted
  EXPECT_FALSE(doc.ReadValue("First", "Commented", value));
  EXPECT_FALSE(doc.ReadValue("Hidden", "x", value));
  ASSERT_TRUE(doc.ReadValue("second", "a", value));
  EXPECT_EQ(value, "");
  doc.WriteValue("Second", "a", "2");
  doc.WriteValue("Third", "New", "3");
  EXPECT_EQ(doc.ToLines(), (Names{"[First]", "Key=value = with equals", "key=second", "", "[first]", "Other=1", "",
                                  "[Empty]", "", "[Second]", "A=2", "", "[Third]", "New=3", ""}));
  // Keys written later are found like those parsed, in any letter case,
  // and a key written again keeps its place and its first spelling.
  doc.WriteValue("third", "Later", "5");
  doc.WriteValue("THIRD", "NEW", "4");
  ASSERT_TRUE(doc.ReadValue("Third", "later", value));
  EXPECT_EQ(value, "5");
  ASSERT_TRUE(doc.ReadValue("Third", "new", value));
  EXPECT_EQ(value, "4");
  EXPECT_EQ(doc.ToLines().back(), "");
  EXPECT_EQ(doc.ToLines()[13], "New=4");
  EXPECT_EQ(doc.ToLines()[14], "Later=5");
}

TEST(ResourceLoader, TypedReadersFollowTheValueSyntaxes) {
  Doc doc(R"([s]
BOOL=-1
Zero=0
Half=0.5
Int=$20
Float=6000.0
Empty=
Text= some text 
Ambient=1,0
Blank=
Fog=0,106,156,255
Position=0 0 -2900
Image=Skin.jpg
Full=Other\Skin.jpg)");
  TResourceLoader& l = doc.loader;
  EXPECT_TRUE(l.ReadBool("bool", false));
  EXPECT_FALSE(l.ReadBool("Zero", true));
  EXPECT_TRUE(l.ReadBool("Half", true));  // not an integer: the default
  EXPECT_FALSE(l.ReadBool("Half", false));
  EXPECT_TRUE(l.ReadBool("Missing", true));
  EXPECT_EQ(l.ReadInteger("Int", 0), 32);
  EXPECT_EQ(l.ReadInteger("Float", 7), 7);
  EXPECT_EQ(l.ReadFloat("Float", 0), 6000.0f);
  EXPECT_EQ(l.ReadFloat("Text", 2.5f), 2.5f);
  EXPECT_EQ(l.ReadString("Empty", "default"), " ");
  EXPECT_EQ(l.ReadString("Missing", "default"), "default");
  EXPECT_EQ(l.ReadString("Text", ""), "some text");
  EXPECT_EQ(l.ReadColor("Ambient", {}), (TGLColor{1, 0, 1, 1}));
  EXPECT_EQ(l.ReadColor("Blank", {0, 0, 0, 0}), (TGLColor{1, 1, 1, 1}));
  EXPECT_EQ(l.ReadColor("Missing", {0.5f, 0.5f, 0.5f, 0.5f}), (TGLColor{0.5f, 0.5f, 0.5f, 0.5f}));
  EXPECT_EQ(l.ReadColorBytes("Fog", {}), (TGLColorBytes{0, 106, 156, 255}));
  EXPECT_EQ(l.ReadVector("Position", {}), (TGLVector{0, 0, -2900}));
  EXPECT_EQ(l.ReadFileName("Image", ".\\Scenes\\", "x"), ".\\Scenes\\Skin.jpg");
  EXPECT_EQ(l.ReadFileName("Full", ".\\Scenes\\", "x"), "Other\\Skin.jpg");
  EXPECT_EQ(l.ReadFileName("Empty", ".\\Scenes\\", "x"), "x");
  EXPECT_TRUE(l.ValueExists("EMPTY"));
  EXPECT_FALSE(l.ValueExists("Missing"));

  // No document: every reader gives its default.
  TResourceLoader none;
  none.Open();
  EXPECT_EQ(none.Ini(), nullptr);
  EXPECT_EQ(none.ReadInteger("Count", 3), 3);
}

TEST(ResourceLoader, ConversionErrorsNameFileSectionAndKey) {
  Doc doc("[Bubble1]\nAmbient1=1,one\nFog=0,300\nPos=1,,x\n", "bubble1");
  doc.loader.FileName = "scene.gsc";
  EXPECT_EQ(Message([&] { doc.loader.ReadColor("Ambient1", {}); }),
            "TResourceLoader.ReadColor error: 'one' is not a valid floating point value (file scene.gsc, section "
            "[bubble1], key Ambient1)");
  EXPECT_EQ(Message([&] { doc.loader.ReadColorBytes("Fog", {}); }),
            "TResourceLoader.ReadColorBytes error: 300 is out of range 0..255 (file scene.gsc, section [bubble1], "
            "key Fog)");
  EXPECT_EQ(Message([&] { doc.loader.ReadVector("pos", {}); }),
            "TResourceLoader.ReadVector error: 'x' is not a valid floating point value (file scene.gsc, section "
            "[bubble1], key pos)");
}

// A locale whose decimal separator is a comma, for the length of a test.
class DecimalCommaLocale {
 public:
  DecimalCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
      try {
        // Sets the C locale too.
        previous_ = std::locale::global(std::locale(name));
      } catch (const std::runtime_error&) {
        continue;
      }
      char text[16];
      std::snprintf(text, sizeof text, "%.1f", 0.5);
      active_ = std::string(text) == "0,5";
      break;
    }
  }
  ~DecimalCommaLocale() {
    std::locale::global(previous_);
    std::setlocale(LC_ALL, "C");
  }
  bool Active() const { return active_; }

 private:
  bool active_ = false;
  std::locale previous_;
};

TEST(ResourceLoader, NumbersIgnoreALocaleWithADecimalComma) {
  SceneFiles files;
  DecimalCommaLocale locale;
  if (!locale.Active()) GTEST_SKIP() << "no locale with a decimal comma installed (Debian: locales-all)";
  auto scene = files.LoadText(R"(
[MainScene]
Count=1
[MainScene1]
Type=TTestProbe
Name=p
Speed=6000.5
Tint=1,1,1,0.7
Offset=0.25,-2900.5,1E3
)");
  auto* p = static_cast<TTestProbe*>(scene->FindObject("p"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Speed, 6000.5f);
  EXPECT_EQ(p->Tint, (TGLColor{1, 1, 1, 0.7f}));
  EXPECT_EQ(p->Offset, (TGLVector{0.25f, -2900.5f, 1000}));
  scene->SourceName = "saved.gsc";
  scene->Save();
  const std::string saved = files.Read("saved.gsc");
  EXPECT_NE(saved.find("Speed=6000.5\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Tint=1,1,1,0.7\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Offset=0.25,-2900.5,1000\r\n"), std::string::npos) << saved;
}

TEST(ResourceLoader, CreateObjectErrorsAndCountsBeyondTheSections) {
  SceneFiles files;
  const std::string head = "[MainScene]\nCount=2\n[MainScene1]\nType=TTestProbe\nName=one\n";
  struct Case {
    std::string tail, message;
  } cases[] = {
      {"", "TResourceLoader.CreateObject error: Unknown Object Type! for MainScene2 (file " + files.File("s.gsc") +
               ", section [MainScene2], key Type)"},
      {"[MainScene2]\nType=TTestProbe\n", "TResourceLoader.CreateObject error: Empty Object Name! for MainScene2 (file " +
                                               files.File("s.gsc") + ", section [MainScene2], key Name)"},
      {"[MainScene2]\nType=TSceneLayer\nName=L\n",
       "TResourceLoader.CreateObject error: Object not created! for MainScene2 Type: TSceneLayer Name: L (file " +
           files.File("s.gsc") + ", section [MainScene2], key Type)"},
      {"[MainScene2]\nType=TTestProbe\nName=two\nFog=1,2,3,256\n",
       "TResourceLoader.ReadColorBytes error: 256 is out of range 0..255 (file " + files.File("s.gsc") +
           ", section [MainScene2], key Fog)"},
  };
  for (const Case& c : cases) {
    files.Write("s.gsc", head + c.tail);
    TMainScene scene;
    scene.Path = files.Folder();
    scene.SourceName = "s.gsc";
    EXPECT_EQ(Message([&] { scene.Load(); }), c.message);
    // The load stops there, with what was made so far in place.
    EXPECT_NE(scene.FindObject("one"), nullptr);
  }
  // A missing disk file names itself.
  TMainScene scene;
  scene.Path = files.Folder();
  scene.SourceName = "missing.gsc";
  EXPECT_NE(Message([&] { scene.Load(); }).find("Cannot open file \"" + files.File("missing.gsc") + "\""),
            std::string::npos);
}

TEST(ResourceLoader, CountAndCapacityEdges) {
  SceneFiles files;
  auto scene = files.LoadText("[MainScene]\nCapacity=2000000000\n[MainScene1]\nType=TTestProbe\nName=x\n");
  EXPECT_EQ(scene->GetCount(), 0);  // no Count: no children
  EXPECT_LE(scene->GetCapacity(), 16);  // the capacity the file can justify, not two billion
  scene = files.LoadText("[mainscene]\ncount=0\n");
  EXPECT_EQ(scene->GetCount(), 0);
  // Keys and section names in any case; the commented-out section does not
  // exist, the second one of that name counts.
  scene = files.LoadText(R"(
[MAINSCENE]
COUNT=1
;[MainScene1]
;Type=TTestProbe
;Name=commented
[mainscene1]
TYPE=ttestprobe
NAME=real
LABEL=x
)");
  ASSERT_EQ(scene->GetCount(), 1);
  EXPECT_EQ(static_cast<TTestProbe*>(scene->FindObject("real"))->Label, "x");
}

TEST(ResourceLoader, ReferencesResolveOnlyToObjectsDescribedEarlier) {
  SceneFiles files;
  auto scene = files.LoadText(R"(
[MainScene]
Count=3
[MainScene1]
Type=TResource
Name=Textures
Count=1
[Textures1]
Type=TTestProbe
Name=Skin.jpg
[MainScene2]
Type=TTestProbe
Name=user
Target=Textures/Skin.jpg
[MainScene3]
Type=TTestProbe
Name=early
Target=later
)");
  EXPECT_EQ(static_cast<TTestProbe*>(scene->FindObject("user"))->Target, scene->FindObject("Textures/Skin.jpg"));
  EXPECT_EQ(static_cast<TTestProbe*>(scene->FindObject("early"))->Target, nullptr);
  // A path below a leaf is an error with its place.
  files.Write("bad.gsc", "[MainScene]\nCount=2\n[MainScene1]\nType=TTestProbe\nName=leaf\n[MainScene2]\nType=TTestProbe\n"
                         "Name=p\nTarget=leaf/below\n");
  TMainScene bad;
  bad.Path = files.Folder();
  bad.SourceName = "bad.gsc";
  EXPECT_EQ(Message([&] { bad.Load(); }),
            "TResourceLoader.ReadReference error: FindObject error: Invalid class typecast: leaf is a TTestProbe, not a "
            "list of named objects (path leaf/below) (file " +
                files.File("bad.gsc") + ", section [MainScene2], key Target)");
}

TEST(ResourceLoader, NestedSourceNameFilesAndEncodedDescriptions) {
  SceneFiles files;
  files.Write("clock.gsc", R"(
[Clock]
Visible=1
Count=2
[Clock1]
Type=TTestProbe
Name=hand
[Clock2]
Type=TResource
Name=Inner
Path=)" + files.Folder() + R"(
SourceName=inner.gsc
)");
  // Encoded: every byte of every line inverted, the line ends as they are.
  files.Write("inner.gsc", Inverted("[Inner]\r\nCount=1\r\n[Inner1]\r\nType=TTestProbe\r\nName=deep\r\nLabel=\xe9t\xe9\r\n"));
  auto scene = files.LoadText(R"(
[MainScene]
Count=2
[MainScene1]
Type=TResource
Name=Clock
Path=)" + files.Folder() + R"(
SourceName=clock.gsc
[MainScene2]
Type=TTestProbe
Name=after
Target=Clock/hand
)");
  // "Inner" has no Encoded key of its own: set it, as code does, and
  // reload that resource.
  auto* inner = dynamic_cast<TResource*>(scene->FindObject("Clock/Inner"));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->GetCount(), 0);  // read as plain text it has no sections
  inner->Encoded = true;
  inner->Load();
  auto* deep = static_cast<TTestProbe*>(scene->FindObject("Clock/Inner/deep"));
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(deep->Label, "\xe9t\xe9");
  EXPECT_TRUE(scene->FindObject("Clock")->Visible());
  EXPECT_EQ(static_cast<TTestProbe*>(scene->FindObject("after"))->Target, scene->FindObject("Clock/hand"));
  EXPECT_EQ(inner->SourceName, files.Folder() + "inner.gsc");

  // A file that names itself is refused instead of loading forever.
  files.Write("loop.gsc",
              "[Loop]\nCount=1\n[Loop1]\nType=TResource\nName=Again\nPath=" + files.Folder() + "\nSourceName=loop.gsc\n");
  TResource loop;
  loop.SetName("Loop");
  loop.Path = files.Folder();
  loop.SourceName = "loop.gsc";
  const std::string message = Message([&] { loop.Load(); });
  EXPECT_NE(message.find("TResource.Load error: " + files.Folder() + "loop.gsc includes itself"), std::string::npos)
      << message;
}

TEST(ResourceLoader, ListsNestedTooDeeplyAreRefused) {
  SceneFiles files;
  std::string text = "[MainScene]\nCount=1\n";
  std::string name = "MainScene";
  for (int i = 0; i < 100; ++i) {
    text += "[" + name + "1]\nType=TResource\nName=L" + std::to_string(i) + "\nCount=1\n";
    name = "L" + std::to_string(i);
  }
  files.Write("deep.gsc", text);
  TMainScene scene;
  scene.Path = files.Folder();
  scene.SourceName = "deep.gsc";
  EXPECT_NE(Message([&] { scene.Load(); }).find("TResourceLoader.LoadChildren error: Lists nested too deeply"),
            std::string::npos);
}

TEST(ResourceLoader, ArchiveSourceAndAMissingEntry) {
  SceneFiles files;
  const std::string archive = files.Write(
      "data.rfa", assets_test::Archive({assets_test::Entry("ravavezaz.gsc", "[MainScene]\nCount=1\n[MainScene1]\n"
                                                                             "Type=TTestProbe\nName=from archive\n")}));
  TResourceFileReader& reader = ResourceReader();
  const TResourceSource source = reader.Source;
  const std::string name = reader.ArchiveName;
  reader.Source = TResourceSource::rsArchiveFile;
  reader.ArchiveName = archive;
  reader.FreeArchive();
  {
    TMainScene scene;
    scene.SourceFlags = sfArchive;
    scene.Path = ".\\Scenes\\";  // folders do not matter in the archive
    scene.SourceName = "ravavezaz.gsc";
    scene.Load();
    EXPECT_NE(scene.FindObject("from archive"), nullptr);
    // An entry the archive lacks is an empty description, not an error.
    scene.SourceName = "nothing.gsc";
    scene.Load();
    EXPECT_EQ(scene.GetCount(), 0);
    // Without any source the scene keeps what it has.
    scene.AddObject(Probe("kept"), 0);
    scene.SourceFlags = 0;
    scene.Load();
    EXPECT_EQ(scene.GetCount(), 1);
  }
  reader.Source = source;
  reader.ArchiveName = name;
  reader.FreeArchive();
}

TEST(ResourceLoader, SaveWritesATreeThatLoadsBackTheSame) {
  SceneFiles files;
  files.Write("sub.gsc", "[Sub]\nCount=1\n[Sub1]\nType=TTestProbe\nName=in sub\nSteps=9\n");
  auto scene = files.LoadText(R"(
[MainScene]
Count=5
[MainScene1]
Type=TResource
Name=Textures
Visible=1
Alpha=1
Path=.\Images\
Count=2
[Textures1]
Type=TTestProbe
Name=b
Flag=1
Steps=-12
Speed=0.1
Label=with = sign
Tint=0.5
Fog=1,2,3
Offset=1.5,2,-3
Image=.\Images\skin.jpg
[Textures2]
Type=TTestProbe
Name=a
Visible=0
Image=Other\skin.jpg
[MainScene2]
Type=TTestProbe
Name=user
ProcessOptions=[Render,Events]
Target=Textures/a
[MainScene3]
Type=TResource
Name=Sub
Path=)" + files.Folder() + R"(
SourceName=sub.gsc
[MainScene4]
Type=TMainObjectList
Name=Plain
[MainScene5]
Type=TTestProbe
Name=last
ProcessOptions=[Animation]
)");
  // Remove one child so that the scene has an empty slot to skip.
  delete scene->FindObject("Plain");

  scene->SourceName = "saved.gsc";
  scene->Save();
  auto again = files.Load("saved.gsc");

  auto describe = [](TMainScene& s) {
    std::vector<std::string> out;
    std::function<void(TMainList*, const std::string&)> walk = [&](TMainList* list, const std::string& prefix) {
      for (int i = 0; i < list->GetCount(); ++i) {
        auto* o = static_cast<TMainObject*>(list->GetItem(i));
        std::string line = prefix + o->Name() + " " + o->ClassName() + " v" + std::to_string(o->Visible()) + " a" +
                           std::to_string(o->Alpha);
        if (auto* so = dynamic_cast<TMainSceneObject*>(o)) line += " o" + std::to_string(so->ProcessOptions);
        if (auto* p = dynamic_cast<TTestProbe*>(o))
          line += " " + std::to_string(p->Flag) + "|" + std::to_string(p->Steps) + "|" + SceneFloatToStr(p->Speed) +
                  "|" + p->Label + "|" + SceneColorToStr(p->Tint) + "|" + SceneColorBytesToStr(p->Fog) + "|" +
                  SceneVectorToStr(p->Offset) + "|" + RefferenceToStr(&s, p->Target) + "|" + p->Image;
        if (auto* r = dynamic_cast<TResource*>(o)) line += " path " + r->Path;
        out.push_back(line);
        if (auto* l = dynamic_cast<TMainList*>(o)) walk(l, prefix + "  ");
      }
    };
    walk(&s, "");
    return out;
  };
  const std::vector<std::string> before = describe(*scene);
  EXPECT_EQ(describe(*again), before);
  ASSERT_EQ(before.size(), 7u);
  EXPECT_EQ(before[1], "  a TTestProbe v0 a0 o0 0|0|0||1,1,1,1|255,255,255,255|0,0,0||Other\\skin.jpg");
  EXPECT_EQ(before[2],
            "  b TTestProbe v1 a0 o0 1|-12|0.1|with = sign|0.5,1,1,1|1,2,3,255|1.5,2,-3||.\\Images\\skin.jpg");
  EXPECT_EQ(before[3], "user TTestProbe v1 a0 o5 0|0|0||1,1,1,1|255,255,255,255|0,0,0|Textures/a|");
  const std::string saved = files.Read("saved.gsc");
  // File names in the probe's own folder lose it; the sub-file stays a
  // file of its own.
  EXPECT_NE(saved.find("Image=skin.jpg\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("SourceName=" + files.Folder() + "sub.gsc\r\n"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("in sub"), std::string::npos);
  EXPECT_NE(files.Read("sub.gsc").find("Name=in sub"), std::string::npos);
  EXPECT_NE(saved.find("[MainScene4]\r\nType=TTestProbe\r\nName=last\r\nProcessOptions=[Animation]\r\n"),
            std::string::npos)
      << saved;
}

TEST(ResourceLoader, WritingWithoutADocumentIsAnError) {
  TResourceLoader loader;
  EXPECT_EQ(Message([&] { loader.WriteInteger("Count", 1); }), "TResourceLoader.Write error: No document to write to");
  // Saving needs the disk and a file name; a scene read from the archive
  // writes nothing.
  SceneFiles files;
  TMainScene scene;
  scene.Path = files.Folder();
  scene.SourceFlags = sfArchive;
  scene.SourceName = "out.gsc";
  scene.Save();
  EXPECT_FALSE(std::filesystem::exists(files.File("out.gsc")));
  scene.SourceFlags = sfDisk;
  scene.Loadable = false;
  scene.Save();
  EXPECT_FALSE(std::filesystem::exists(files.File("out.gsc")));
  scene.Loadable = true;
  scene.Save();
  EXPECT_EQ(files.Read("out.gsc"), "[MainScene]\r\nType=TMainScene\r\nName=MainScene\r\nAlpha=1\r\nVisible=1\r\nPath=" +
                                       files.Folder() + "\r\nCapacity=0\r\nCount=0\r\n\r\n");
}

}  // namespace
}  // namespace scenetest
