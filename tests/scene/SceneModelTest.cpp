// The object model: name order and duplicates, the processing lists and
// render walks of scenes built from small descriptions, path lookup and
// its inverse, freeing children, renaming, the registry and the options.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scene/BaseList.h"
#include "scene/MainRenderState.h"
#include "scene/MainScene.h"
#include "scene/SceneClasses.h"
#include "tests/scene/SceneTestSupport.h"

namespace scenetest {
namespace {

// The log entries of one kind ("opaque", "animate", ...), names only.
std::vector<std::string> Calls(const std::string& kind) {
  std::vector<std::string> names;
  for (const std::string& entry : Log()) {
    const size_t colon = entry.rfind(':');
    if (entry.substr(colon + 1) == kind) names.push_back(entry.substr(0, colon));
  }
  return names;
}

using Names = std::vector<std::string>;

Names ChildNames(const TMainList& list) {
  Names names;
  for (int i = 0; i < list.GetCount(); ++i) names.push_back(static_cast<TMainObject*>(list.GetItem(i))->Name());
  return names;
}

struct SceneModel : ::testing::Test {
  void SetUp() override { Log().clear(); }
  SceneFiles files;
};

TEST(CompareNames, FixedOrderIgnoringCaseFirstThenLowerCaseFirst) {
  // The clock's sprites: name order, not file order.
  Names names = {"time1", "ClockPlate", "day", "Day", "day2", "day10", "a_b", "a b", "a-b", "ab", "A", "a", "9x", "x9",
                 "xa", "\xC3\xA9t\xC3\xA9"};
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; });
  const Names expected = {"9x", "a", "A", "a b", "a-b", "a_b", "ab", "ClockPlate", "day", "Day", "day10", "day2",
                          "time1", "x9", "xa", "\xC3\xA9t\xC3\xA9"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(CompareNames("Plate", "Plate"), 0);
  // Only identical names are equal; the first case difference decides.
  EXPECT_LT(CompareNames("aB", "Ab"), 0);
  EXPECT_GT(CompareNames("Ab", "aB"), 0);
  EXPECT_LT(CompareNames("abC", "aBc"), 0);
}

TEST_F(SceneModel, NamedListsRenderByNameTheSceneByFileOrder) {
  auto scene = files.LoadText(R"(
[MainScene]
Count=4
[MainScene1]
Type=TResource
Name=Sprites
Visible=1
ProcessOptions=[Render]
Count=3
[Sprites1]
Type=TTestProbe
Name=time1
[Sprites2]
Type=TTestProbe
Name=ClockPlate
[Sprites3]
Type=TTestProbe
Name=day
[MainScene2]
Type=TTestProbe
Name=time1
ProcessOptions=[Render]
[MainScene3]
Type=TTestProbe
Name=ClockPlate
ProcessOptions=[Render]
[MainScene4]
Type=TTestProbe
Name=day
ProcessOptions=[Render]
)");
  scene->Process(0.02f);
  EXPECT_EQ(Calls("opaque"), (Names{"ClockPlate", "day", "time1", "time1", "ClockPlate", "day"}));
  EXPECT_EQ(ChildNames(*scene), (Names{"Sprites", "time1", "ClockPlate", "day"}));
  auto* sprites = dynamic_cast<TResource*>(scene->FindObject("Sprites"));
  ASSERT_NE(sprites, nullptr);
  EXPECT_EQ(ChildNames(*sprites), (Names{"ClockPlate", "day", "time1"}));
  EXPECT_EQ(sprites->Owner(), scene.get());
  EXPECT_EQ(sprites->Objects(0)->Owner(), sprites);
  EXPECT_EQ(sprites->Objects(0)->MainScene(), scene.get());
}

TEST_F(SceneModel, ProcessRunsEventsAnimationRenderEachInOrderOfAdding) {
  auto scene = files.LoadText(R"(
[MainScene]
Count=4
[MainScene1]
Type=TTestProbe
Name=z
ProcessOptions=[Render,Animation,Events]
[MainScene2]
Type=TTestProbe
Name=hidden
Visible=0
ProcessOptions=[Render,Animation]
[MainScene3]
Type=TTestProbe
Name=a
ProcessOptions=[Events]
[MainScene4]
Type=TTestProbe
Name=resource only
)");
  EXPECT_EQ(scene->EventsList()->GetCount(), 2);
  EXPECT_EQ(scene->AnimationList()->GetCount(), 2);
  EXPECT_EQ(scene->RenderList()->GetCount(), 2);
  scene->Process(0.25f);
  EXPECT_EQ(Log(), (Names{"z:events", "a:events", "z:animate", "hidden:animate", "z:opaque"}));
  // The invisible object animated with the frame's time all the same.
  EXPECT_FLOAT_EQ(static_cast<TTestProbe*>(scene->FindObject("hidden"))->Time, 0.25f);

  // An object made in code joins the lists its options name, once.
  scene->AddObject(Probe("late"), poRender | poAnimation);
  EXPECT_EQ(static_cast<TTestProbe*>(scene->FindObject("late"))->ProcessOptions, poRender | poAnimation);
  Log().clear();
  scene->Process(0);
  EXPECT_EQ(Calls("opaque"), (Names{"z", "late"}));
  EXPECT_EQ(Calls("animate"), (Names{"z", "hidden", "late"}));

  // The invisible scene renders nothing but still animates.
  scene->SetVisible(false);
  Log().clear();
  scene->Process(0);
  EXPECT_TRUE(Calls("opaque").empty());
  EXPECT_EQ(Calls("animate").size(), 3u);
}

TEST_F(SceneModel, TransparentPassOnlyWithAlphaAndLayersDrawAllOpaquePartsFirst) {
  auto scene = files.LoadText(R"(
[MainScene]
Count=2
[MainScene1]
Type=TResource
Name=List
Visible=1
Alpha=1
ProcessOptions=[Render]
Count=2
[List1]
Type=TTestProbe
Name=a
Alpha=1
[List2]
Type=TTestProbe
Name=b
Alpha=1
[MainScene2]
Type=TTestProbe
Name=c
ProcessOptions=[Render]
)");
  scene->Process(0);
  // A plain list renders child after child: each child's two passes
  // together; c has no transparent pass.
  EXPECT_EQ(Log(), (Names{"a:opaque", "a:transparent", "b:opaque", "b:transparent", "c:opaque"}));

  // A layer draws every opaque part of the layer before any blended one,
  // and skips invisible children in both passes.
  TSceneLayer layer;
  EXPECT_TRUE(layer.Visible());
  layer.SetName("Layer");
  layer.AddItem(Probe("b"))->Alpha = true;
  layer.AddItem(Probe("a"))->Alpha = true;
  layer.AddItem(Probe("c"))->SetVisible(false);
  Log().clear();
  layer.Render();
  EXPECT_EQ(Log(), (Names{"a:opaque", "b:opaque"}));  // the layer's own Alpha is off
  layer.Alpha = true;
  Log().clear();
  layer.Render();
  EXPECT_EQ(Log(), (Names{"a:opaque", "b:opaque", "a:transparent", "b:transparent"}));
  layer.SetVisible(false);
  Log().clear();
  layer.Render();
  EXPECT_TRUE(Log().empty());
}

TEST_F(SceneModel, DuplicateNamesAreIgnoredAndTheSecondObjectFreedUnread) {
  TTestProbe::Destroyed() = 0;
  auto scene = files.LoadText(R"(
[MainScene]
Count=3
[MainScene1]
Type=TTestProbe
Name=Bubble
Label=first
ProcessOptions=[Render]
[MainScene2]
Type=TTestProbe
Name=Bubble
Label=second
ProcessOptions=[Render,Animation]
[MainScene3]
Type=TResource
Name=List
Count=2
[List1]
Type=TTestProbe
Name=x
Steps=1
[List2]
Type=TTestProbe
Name=x
Steps=2
)");
  EXPECT_EQ(TTestProbe::Destroyed(), 2);  // the two rejected copies
  EXPECT_EQ(ChildNames(*scene), (Names{"Bubble", "List"}));
  EXPECT_EQ(scene->AllObjects().size(), 2u);
  EXPECT_EQ(static_cast<TTestProbe*>(scene->FindObject("Bubble"))->Label, "first");
  EXPECT_EQ(static_cast<TTestProbe*>(scene->FindObject("List/x"))->Steps, 1);
  EXPECT_EQ(scene->AnimationList()->GetCount(), 0);
  scene->Process(0);
  EXPECT_EQ(Log(), (Names{"Bubble:opaque"}));

  // In code: the list keeps the first; the rejected one stays the caller's,
  // without an owner, and freeing it leaves the original in place.
  TResource list;
  list.SetName("L");
  TTestProbe* first = Probe("p");
  auto second = std::unique_ptr<TTestProbe>(Probe("p"));
  list.AddItem(first);
  EXPECT_EQ(list.AddItem(second.get()), second.get());
  EXPECT_FALSE(list.Contains(second.get()));
  EXPECT_EQ(second->Owner(), nullptr);
  second.reset();
  EXPECT_EQ(list.FindItem("p"), first);
  EXPECT_EQ(list.GetCount(), 1);
}

TEST_F(SceneModel, AddItemRefusesNilUnnamedAndUnnamedClasses) {
  TMainObjectList list;
  EXPECT_EQ(Message([&] { list.AddItem(nullptr); }), "TMainObjectList.AddItem error: Add nil Object failed");
  TTestProbe unnamed;
  EXPECT_EQ(Message([&] { list.AddItem(&unnamed); }), "TMainObjectList.AddItem error: Add empty Object.Name failed");
  TMainItem plain;
  EXPECT_EQ(Message([&] { list.AddItem(&plain); }),
            "TMainObjectList.AddItem error: Invalid class typecast: TMainItem is not a named object");
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(Message([&] { list.GetItem(0); }), "TMainObjectList.GetItem error: List index out of bounds (0)");
  EXPECT_EQ(Message([&] { list.Delete(-1); }), "TMainObjectList.Delete error: List index out of bounds (-1)");
}

TEST_F(SceneModel, PathsResolveFromTheSceneAndRefferenceToStrIsTheirInverse) {
  auto scene = files.LoadText(R"(
[MainScene]
Count=2
[MainScene1]
Type=TResource
Name=Clock Resource
Count=1
[Clock Resource1]
Type=TResource
Name=ClockSprites
Count=2
[ClockSprites1]
Type=TTestProbe
Name=Plate
[ClockSprites2]
Type=TTestProbe
Name=Bubbles Sound - 1
[MainScene2]
Type=TTestProbe
Name=Direct
)");
  TMainObject* plate = scene->FindObject("Clock Resource/ClockSprites/Plate");
  ASSERT_NE(plate, nullptr);
  EXPECT_EQ(plate->Name(), "Plate");
  EXPECT_EQ(scene->FindObject("Clock Resource/ClockSprites/Bubbles Sound - 1")->Name(), "Bubbles Sound - 1");
  EXPECT_EQ(scene->FindObject("Clock Resource/ClockSprites/"), scene->FindObject("Clock Resource/ClockSprites"));
  for (const char* missing : {"", "/", "Nothing", "Clock Resource/Nothing/Plate", "Clock Resource/ClockSprites/Nothing",
                              "Clock Resource//ClockSprites", "clock resource/ClockSprites/Plate"})
    EXPECT_EQ(scene->FindObject(missing), nullptr) << missing;
  EXPECT_EQ(Message([&] { scene->FindObject("Direct/Below"); }),
            "FindObject error: Invalid class typecast: Direct is a TTestProbe, not a list of named objects (path "
            "Direct/Below)");
  // A path ending at a leaf is fine even with a trailing slash.
  EXPECT_EQ(scene->FindObject("Direct/"), scene->FindObject("Direct"));

  EXPECT_EQ(RefferenceToStr(scene.get(), plate), "Clock Resource/ClockSprites/Plate");
  EXPECT_EQ(RefferenceToStr(scene.get(), scene->FindObject("Direct")), "Direct");
  EXPECT_EQ(RefferenceToStr(scene.get(), nullptr), "");
  auto* sprites = dynamic_cast<TMainList*>(scene->FindObject("Clock Resource/ClockSprites"));
  EXPECT_EQ(RefferenceToStr(sprites, plate), "Plate");
  EXPECT_EQ(FindObject(sprites, "Plate"), plate);
  TTestProbe loose;
  loose.SetName("Loose");
  EXPECT_EQ(Message([&] { RefferenceToStr(scene.get(), &loose); }), "RefferenceToStr error: Owner is nil!");
}

TEST_F(SceneModel, DeleteItemsFreesTheLastItemsWithinBounds) {
  TTestProbe::Destroyed() = 0;
  TResource list;
  list.SetName("List");
  for (const char* name : {"c", "a", "b"}) list.AddItem(Probe(name));
  list.DeleteItems(0);
  list.DeleteItems(-3);
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(TTestProbe::Destroyed(), 0);
  list.DeleteItems(2);  // the last two in name order
  EXPECT_EQ(ChildNames(list), (Names{"a"}));
  EXPECT_EQ(TTestProbe::Destroyed(), 2);
  list.AddItem(Probe("d"));
  list.AddItem(Probe("e"));
  list.DeleteItems(5);
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(TTestProbe::Destroyed(), 5);

  // On the scene the last ones added go, and leave every processing list.
  TMainScene scene;
  scene.AddObject(Probe("z"), poRender);
  scene.AddObject(Probe("y"), poRender | poAnimation);
  scene.AddObject(Probe("x"), poEvents);
  scene.DeleteItems(2);
  EXPECT_EQ(ChildNames(scene), (Names{"z"}));
  EXPECT_EQ(scene.RenderList()->GetCount(), 1);
  EXPECT_EQ(scene.AnimationList()->GetCount(), 0);
  EXPECT_EQ(scene.EventsList()->GetCount(), 0);
  EXPECT_EQ(scene.FindObject("y"), nullptr);
  scene.Process(0);
  EXPECT_EQ(Calls("opaque"), (Names{"z"}));
}

TEST_F(SceneModel, AFreedChildLeavesItsListsAndTheSceneKeepsItsSlots) {
  TMainScene scene;
  TTestProbe* a = Probe("a", poRender);
  TTestProbe* b = Probe("b", poRender | poEvents);
  TTestProbe* c = Probe("c", poRender);
  for (TTestProbe* p : {a, b, c}) scene.AddItem(p);
  EXPECT_EQ(c->SceneIndex, 2);
  // Options changed after adding move nothing, and freeing the object still
  // takes it out of every list it joined.
  b->ProcessOptions = 0;
  delete b;
  EXPECT_EQ(scene.AllObjects(), (std::vector<TMainItem*>{a, nullptr, c}));
  EXPECT_EQ(c->SceneIndex, 2);
  EXPECT_EQ(scene.GetCount(), 2);
  EXPECT_EQ(scene.GetItem(1), c);
  EXPECT_EQ(scene.RenderList()->GetCount(), 2);
  EXPECT_EQ(scene.EventsList()->GetCount(), 0);
  scene.Process(0);
  EXPECT_EQ(Calls("opaque"), (Names{"a", "c"}));
  // Later children get new slots after the empty one.
  scene.AddItem(Probe("d"));
  EXPECT_EQ(static_cast<TTestProbe*>(scene.FindObject("d"))->SceneIndex, 3);
  EXPECT_EQ(ChildNames(scene), (Names{"a", "c", "d"}));
}

TEST_F(SceneModel, RenamingMovesTheEntryUnlessTheNameIsTaken) {
  TResource list;
  list.SetName("List");
  TTestProbe* a = Probe("a");
  TTestProbe* b = Probe("b");
  list.AddItem(a);
  list.AddItem(b);
  a->SetName("c");
  EXPECT_EQ(ChildNames(list), (Names{"b", "c"}));
  EXPECT_EQ(list.FindItem("c"), a);
  EXPECT_EQ(list.FindItem("a"), nullptr);
  a->SetName("b");  // taken: nothing changes
  EXPECT_EQ(a->Name(), "c");
  EXPECT_EQ(ChildNames(list), (Names{"b", "c"}));
  TTestProbe loose;
  loose.SetName("free");
  EXPECT_EQ(loose.Name(), "free");
}

// A resource whose name index can be switched to insertion order, as the
// particle lists do it.
class TOrderedResource : public TResource {
 public:
  using TMainObjectList::SetNameOrder;
};

// The rules of the name index hold in both orderings: exact names, the
// first of two equal names kept, renames that move or keep the entry,
// and names that come free when their object leaves.
TEST_F(SceneModel, TheNameIndexKeepsItsRulesInBothOrderings) {
  for (const bool sorted : {true, false}) {
    SCOPED_TRACE(sorted ? "name order" : "insertion order");
    TOrderedResource list;
    list.SetName("List");
    list.SetNameOrder(sorted);
    TTestProbe* b = Probe("b");
    TTestProbe* a = Probe("a");
    TTestProbe* upperB = Probe("B");
    TTestProbe* upperA = Probe("A");
    auto twin = std::unique_ptr<TTestProbe>(Probe("a"));
    list.AddItem(b);
    list.AddItem(a);
    list.AddItem(twin.get());
    list.AddItem(upperB);
    list.AddItem(upperA);
    EXPECT_EQ(ChildNames(list), sorted ? (Names{"a", "A", "b", "B"}) : (Names{"b", "a", "B", "A"}));
    EXPECT_EQ(list.FindItem("a"), a);  // names are exact: case tells them apart
    EXPECT_EQ(list.FindItem("A"), upperA);
    EXPECT_EQ(list.FindItem("c"), nullptr);
    EXPECT_FALSE(list.Contains(twin.get()));
    twin.reset();  // the rejected twin goes without taking the original's entry
    EXPECT_EQ(list.FindItem("a"), a);
    EXPECT_TRUE(list.Contains(a));

    // Renames: a taken name is refused; a free one moves the entry in name
    // order and keeps its place in insertion order; the old name is free.
    b->SetName("A");
    EXPECT_EQ(b->Name(), "b");
    b->SetName("c");
    EXPECT_EQ(ChildNames(list), sorted ? (Names{"a", "A", "B", "c"}) : (Names{"c", "a", "B", "A"}));
    EXPECT_EQ(list.FindItem("c"), b);
    EXPECT_EQ(list.FindItem("b"), nullptr);
    TTestProbe* newB = Probe("b");
    list.AddItem(newB);
    EXPECT_EQ(list.FindItem("b"), newB);

    // An object freed on its own, the last entries freed by the list, or
    // every entry dropped: their names can be used again.
    delete upperB;
    EXPECT_EQ(list.FindItem("B"), nullptr);
    EXPECT_EQ(list.GetCount(), 4);
    list.DeleteItems(1);  // "c" in name order, the new "b" in insertion order
    const std::string gone = sorted ? "c" : "b";
    EXPECT_EQ(list.FindItem(gone), nullptr);
    TTestProbe* again = Probe(gone);
    list.AddItem(again);
    EXPECT_EQ(list.FindItem(gone), again);
    EXPECT_TRUE(list.Contains(again));
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    for (const char* name : {"a", "b", "c"}) {
      TTestProbe* p = Probe(name);
      list.AddItem(p);
      EXPECT_EQ(list.FindItem(name), p);
    }
    EXPECT_EQ(list.GetCount(), 3);
  }

  // Switching to name order sorts what came in insertion order.
  TOrderedResource list;
  list.SetName("List");
  list.SetNameOrder(false);
  for (const char* name : {"time1", "day", "ClockPlate"}) list.AddItem(Probe(name));
  list.SetNameOrder(true);
  EXPECT_EQ(ChildNames(list), (Names{"ClockPlate", "day", "time1"}));
  EXPECT_NE(list.FindItem("day"), nullptr);
}

TEST_F(SceneModel, ResourcesStartInvisibleLayersAndTheSceneVisible) {
  TResource resource;
  EXPECT_FALSE(resource.Visible());
  resource.SetVisible(true);
  EXPECT_TRUE(resource.Visible());
  EXPECT_EQ(resource.Path, ".\\");
  TMainScene scene;
  EXPECT_TRUE(scene.Visible());
  EXPECT_TRUE(scene.Alpha);
  EXPECT_EQ(scene.Name(), "MainScene");
  EXPECT_EQ(scene.MainScene(), &scene);
  EXPECT_TRUE(scene.RenderList()->Alpha);
  EXPECT_EQ(scene.SourceFlags, sfDisk);
  TMainRenderState state;
  EXPECT_TRUE(state.Enabled);
  state.Disable();
  EXPECT_FALSE(state.Enabled);
}

TEST_F(SceneModel, OwningItemListsFreeTheirChildrenProcessingListsDoNot) {
  TTestProbe::Destroyed() = 0;
  {
    TMainItemList owning;
    owning.AddItem(Probe("a"));
    owning.AddItem(Probe("a"));  // item lists keep everything, in order
    EXPECT_EQ(owning.GetCount(), 2);
  }
  EXPECT_EQ(TTestProbe::Destroyed(), 2);
  {
    TMainScene scene;
    scene.AddObject(Probe("r"), poRender | poAnimation | poEvents);
    scene.RenderList()->Clear();  // references only
    EXPECT_EQ(TTestProbe::Destroyed(), 2);
    EXPECT_NE(scene.FindObject("r"), nullptr);
  }
  EXPECT_EQ(TTestProbe::Destroyed(), 3);
}

TEST_F(SceneModel, SetObjectVisible) {
  TMainScene scene;
  scene.AddObject(Probe("p"), poRender);
  scene.SetObjectVisible("p", false);
  EXPECT_FALSE(scene.FindObject("p")->Visible());
  scene.SetObjectVisible("missing", false);  // nothing happens
  EXPECT_EQ(scene.GetCount(), 1);
}

TEST(SceneRegistry, CreatesRegisteredClassesByNameIgnoringCase) {
  const std::vector<std::string> names = SceneClassNames();
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
            (std::vector<std::string>{"TMainItemList", "TMainObjectList", "TMainScene", "TResource"}));
  for (const char* hidden : {"TSceneLayer", "TMainRenderState", "TSceneParticleList", "TMainItem"})
    EXPECT_EQ(CreateSceneObject(hidden, "x"), nullptr) << hidden;
  auto object = CreateSceneObject("tresource", "Textures");
  ASSERT_NE(object, nullptr);
  EXPECT_STREQ(object->ClassName(), "TResource");
  EXPECT_EQ(object->Name(), "Textures");
  // Registering a name again replaces the factory in its place.
  RegisterSceneClass("TMainObjectList", []() -> std::unique_ptr<TMainObject> { return std::make_unique<TResource>(); });
  EXPECT_STREQ(CreateSceneObject("TMainObjectList", "x")->ClassName(), "TResource");
  EXPECT_EQ(SceneClassNames(), names);
  RegisterSceneClass<TMainObjectList>("TMainObjectList");
  EXPECT_STREQ(CreateSceneObject("TMainObjectList", "x")->ClassName(), "TMainObjectList");
}

TEST(BaseList, OwnsAndFreesItsElements) {
  TTestProbe::Destroyed() = 0;
  {
    TBaseList<TTestProbe> list;
    list.Add(Probe("a"));
    list.Add(std::unique_ptr<TTestProbe>(Probe("b")));
    list.Add(Probe("c"));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list[1]->Name(), "b");
    list.Delete(1);
    EXPECT_EQ(TTestProbe::Destroyed(), 1);
    EXPECT_EQ(list.Items(1)->Name(), "c");
    EXPECT_EQ(Message([&] { list.Items(2); }), "TBaseList.Items error: List index out of bounds (2)");
    EXPECT_EQ(Message([&] { list.Delete(-1); }), "TBaseList.Delete error: List index out of bounds (-1)");
  }
  EXPECT_EQ(TTestProbe::Destroyed(), 3);
}

TEST(ProcessOptionsText, ReadsSubstringsWritesTheFixedForms) {
  EXPECT_EQ(StrToProcessOptions("[Render,Animation]"), poRender | poAnimation);
  EXPECT_EQ(StrToProcessOptions("Events and more Render"), poRender | poEvents);
  EXPECT_EQ(StrToProcessOptions("[render]"), 0);  // case-sensitive
  EXPECT_EQ(StrToProcessOptions(""), 0);
  EXPECT_EQ(ProcessOptionsToStr(0), "");
  EXPECT_EQ(ProcessOptionsToStr(poRender), "[Render]");
  EXPECT_EQ(ProcessOptionsToStr(poEvents | poRender), "[Render,Events]");
  EXPECT_EQ(ProcessOptionsToStr(poRender | poAnimation | poEvents), "[Render,Animation,Events]");
  EXPECT_EQ(ProcessOptionsToStr(poAnimation | poEvents), "[Animation,Events]");
}

// The scene's own option and the forwarding of options to the children,
// through an application object of the shell and a fake option store.
struct OptionProbe : TMainSceneObject {
  const char* ClassName() const override { return "OptionProbe"; }
  void LoadOptions() override { Loaded = Application()->ReadOptionInteger(Name() + " Value", -1); }
  void SaveOptions() override { Application()->WriteOptionInteger(Name() + " Value", Loaded + 1); }
  int Loaded = 0;
};

TEST(SceneOptions, FpsOptionAndChildrenThroughTheApplication) {
  platform::FakeSettingsStore store;
  platform::ScopedService<platform::SettingsStore> service(&store);
  Application().Reset();
  TCustomGLApplication app(nullptr);
  app.Title = "Velmora";
  app.Company = "Ostrevin";
  const std::string key = app.StoreKeyPath();
  store.SetValue(platform::SettingsRoot::CurrentUser, key, "FPS", "-1");
  store.SetValue(platform::SettingsRoot::CurrentUser, key, "Probe Value", "41");
  {
    TMainScene scene;
    scene.Application = &app;
    auto* probe = new OptionProbe;
    probe->SetName("Probe");
    scene.AddObject(probe, 0);
    auto* list = new TResource;
    list->SetName("List");
    scene.AddObject(list, 0);
    auto* nested = new OptionProbe;
    nested->SetName("Nested");
    list->AddItem(nested);
    scene.LoadOptions();
    EXPECT_TRUE(scene.ShowFPS());
    EXPECT_EQ(probe->Loaded, 41);
    EXPECT_EQ(nested->Loaded, -1);  // reached through the list, no stored value
    scene.SetShowFPS(false);
    scene.SaveOptions();
    app.CloseStore();
    EXPECT_EQ(store.Value(platform::SettingsRoot::CurrentUser, key, "FPS"), "0");
    EXPECT_EQ(store.Value(platform::SettingsRoot::CurrentUser, key, "Probe Value"), "42");
    EXPECT_EQ(store.Value(platform::SettingsRoot::CurrentUser, key, "Nested Value"), "0");
  }
  Application().Reset();
}

}  // namespace
}  // namespace scenetest
