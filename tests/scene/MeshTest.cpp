// Scene meshes built in code: which pass a group goes to (the transparency
// threshold, textures with alpha), the passes drawn in order and the
// pixels they leave, opaque parts before transparent ones in a layer,
// vertex-frame animation (the FPS 10 example, a frame rate of 0, time steps
// of 0 and of seconds, backwards and overflowing time, normals only while
// lit, groups whose frames do not fit), two-sided sheets folded to one
// side, AddFrames and GetBounds.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "gl/Primitive.h"
#include "scene/SceneTexture.h"
#include "tests/scene/MeshTestSupport.h"

namespace scenetest {
namespace {

using Pixel3 = std::vector<int>;

const char* const kGlass = R"(
[MainScene]
Count=1
[MainScene1]
Type=TSceneMaterialList
Name=Materials
Count=1
[Materials1]
Type=TSceneMaterial
Name=Glass
Count=2
Ambient1=0,0,0,1
Diffuse1=1,1,1,0.99
Ambient2=0,0,0,1
Diffuse2=1,1,1,0.98
)";

// A quad from (x0, y0) to (x1, y1) at depth z as a new group of mesh.
TMeshGroup* AddQuad(TSceneMesh& mesh, int materialIndex, float x0, float y0, float x1, float y1, float z = 0,
                    TSceneTexture* texture = nullptr) {
  TMeshGroup* group = mesh.AddGroup(0, materialIndex, texture);
  TGLPrimitive& p = *group->Primitive;
  const float corners[] = {x0, y0, z, x1, y0, z, x1, y1, z, x0, y1, z};
  p.Vertices.LoadFromArray(corners);
  const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
  p.Indices.LoadFromArray(indices);
  return group;
}

// Vertex frame k of a group: its quad moved to x = 10 k .. 10 k + 10.
void AddSlidingFrames(TMeshGroup& group, int frames) {
  for (int k = 0; k < frames; ++k) {
    TGLVectorDArray* frame = group.VertexFrames.Add(std::make_unique<TGLVectorDArray>());
    const float x0 = 10.0f * k, x1 = x0 + 10;
    const float corners[] = {x0, 0, 0, x1, 0, 0, x1, 64, 0, x0, 64, 0};
    frame->LoadFromArray(corners);
  }
}

class Meshes : public DrawingTest {
 protected:
  // A mesh made in code, directly in the scene, drawing with Glass.
  TSceneMesh* NewMesh(const std::string& name, TMainList* list = nullptr) {
    auto* mesh = new TSceneMesh;
    mesh->SetName(name);
    if (list)
      list->AddItem(mesh);
    else
      scene_->AddObject(mesh, 0);
    mesh->Material = Find<TSceneMaterial>("Materials/Glass");
    return mesh;
  }
};

TEST_F(Meshes, TheThresholdSortsGroupsIntoPassesAndTheirPixels) {
  Load(kGlass);
  auto* mesh = NewMesh("m");
  TSceneMaterial* glass = mesh->Material;
  mesh->Material = nullptr;
  EXPECT_EQ(Message([&] { mesh->AddGroup(0, 0, nullptr); }),
            "TSceneMesh.AddGroup error: Material is not assigned! (mesh m)");
  mesh->Material = glass;
  EXPECT_EQ(Message([&] { mesh->AddGroup(0, 2, nullptr); }),
            "TSceneMesh.AddGroup error: List index out of bounds (2) in material Glass of 2 groups (mesh m)");
  EXPECT_EQ(Message([&] { mesh->AddGroup(0, -1, nullptr); }),
            "TSceneMesh.AddGroup error: List index out of bounds (-1) in material Glass of 2 groups (mesh m)");
  EXPECT_EQ(mesh->GroupCount(), 0);
  EXPECT_FALSE(mesh->Alpha);

  TMeshGroup* opaque = AddQuad(*mesh, 0, 0, 0, 32, 64);  // diffuse alpha 0.99
  EXPECT_FALSE(mesh->Alpha);
  TMeshGroup* clear = AddQuad(*mesh, 1, 32, 0, 64, 64);  // 0.98
  EXPECT_TRUE(mesh->Alpha);
  ASSERT_EQ(mesh->OpaqueGroups.Count(), 1);
  ASSERT_EQ(mesh->TransparentGroups.Count(), 1);
  EXPECT_EQ(mesh->OpaqueGroups.Items(0), opaque);
  EXPECT_EQ(mesh->TransparentGroups.Items(0), clear);
  EXPECT_EQ(opaque->MaterialGroup, glass->GetGroup(0));
  EXPECT_EQ(opaque->VertexFrames.Count(), 0);

  // Unlit, a group draws in CurrentColor with its diffuse alpha: white;
  // only the blended one lets the black background through.
  StartFrame();
  mesh->RenderOpaque();
  EXPECT_FALSE(SceneBlending());
  EXPECT_EQ(SceneMaterial(), glass->GetGroup(0));
  mesh->RenderTransparent();
  EXPECT_TRUE(SceneBlending());
  EXPECT_EQ(SceneMaterial(), glass->GetGroup(1));
  EXPECT_EQ(SceneTexture(), nullptr);
  EXPECT_EQ(PixelAt(16, 32), (Pixel3{255, 255, 255}));
  const Pixel3 blended = PixelAt(48, 32);
  for (int c : blended) EXPECT_NEAR(c, 250, 1);

  // A texture with an alpha channel makes a group transparent whatever
  // its material says.
  TSceneTexture keyed;
  keyed.SetFormat(tfSprite);
  auto* sprite = NewMesh("sprite");
  sprite->AddGroup(0, 0, &keyed);
  EXPECT_EQ(sprite->TransparentGroups.Count(), 1);
  EXPECT_TRUE(sprite->Alpha);
  sprite->ClearGroups();  // before the texture goes
  EXPECT_EQ(sprite->GroupCount(), 0);
}

TEST_F(Meshes, ALayerDrawsEveryOpaquePartBeforeAnyTransparentOne) {
  Load(kGlass);
  auto* layer = new TSceneLayer;
  layer->SetName("layer");
  layer->Alpha = true;
  scene_->AddObject(layer, 0);
  auto* list = new TMainObjectList;
  list->SetName("list");
  scene_->AddObject(list, 0);
  // "a": green glass in front; "b": opaque red behind. Names put the glass
  // first.
  for (TMainList* parent : {static_cast<TMainList*>(layer), static_cast<TMainList*>(list)}) {
    TMeshGroup* glass = AddQuad(*NewMesh("a", parent), 1, 0, 0, 64, 64, 10);
    glass->Primitive->Colors.LoadFromWords(std::vector<uint32_t>{0x8000FF00u});
    TMeshGroup* red = AddQuad(*NewMesh("b", parent), 0, 0, 0, 64, 64, 0);
    red->Primitive->Colors.LoadFromWords(std::vector<uint32_t>{0xFF0000FFu});
  }
  StartFrame();
  layer->Render();
  const Pixel3 blended = PixelAt(32, 32);
  EXPECT_NEAR(blended[0], 127, 2);
  EXPECT_NEAR(blended[1], 128, 2);
  EXPECT_EQ(blended[2], 0);
  // A plain list draws each child whole, in name order: the glass first,
  // and the red quad behind it then fails the depth test.
  StartFrame();
  list->Render();
  const Pixel3 hidden = PixelAt(32, 32);
  EXPECT_EQ(hidden[0], 0);
  EXPECT_NEAR(hidden[1], 128, 2);
}

TEST_F(Meshes, FramesBlendAtTheFrameRateStraightIntoTheVertices) {
  Load(kGlass);
  auto* mesh = NewMesh("fish");
  TMeshGroup* body = AddQuad(*mesh, 0, 0, 0, 10, 64);
  AddSlidingFrames(*body, 4);
  EXPECT_EQ(mesh->FrameCount(), 4);
  EXPECT_EQ(mesh->FPS, 6);
  auto x0 = [&] { return body->Primitive->Vertices.Items()[0].x; };
  auto x1 = [&] { return body->Primitive->Vertices.Items()[1].x; };

  // FPS 10, 4 frames, Time 3.5, 0.1 s: Time 0.5, half way from 0 to 1.
  mesh->FPS = 10;
  mesh->Time = 3.5f;
  const TGLVector* before = body->Primitive->Vertices.Items();
  mesh->Animate(0.1f);
  EXPECT_FLOAT_EQ(mesh->Time, 0.5f);
  EXPECT_FLOAT_EQ(x0(), 5);
  EXPECT_FLOAT_EQ(x1(), 15);
  EXPECT_EQ(body->Primitive->Vertices.Items(), before);  // written in place
  StartFrame();
  Draw(*mesh);
  EXPECT_EQ(PixelAt(10, 32), (Pixel3{255, 255, 255}));
  EXPECT_EQ(PixelAt(2, 32), (Pixel3{0, 0, 0}));
  EXPECT_EQ(PixelAt(17, 32), (Pixel3{0, 0, 0}));

  // A step of 0 and a frame rate of 0 change nothing.
  mesh->Animate(0);
  EXPECT_FLOAT_EQ(mesh->Time, 0.5f);
  EXPECT_FLOAT_EQ(x0(), 5);
  mesh->FPS = 0;
  mesh->Animate(1);
  EXPECT_FLOAT_EQ(mesh->Time, 0.5f);
  EXPECT_FLOAT_EQ(x0(), 5);
  // Five seconds at once (a machine waking up): 50 frames on, wrapped.
  mesh->FPS = 10;
  mesh->Animate(5);
  EXPECT_FLOAT_EQ(mesh->Time, 2.5f);
  EXPECT_FLOAT_EQ(x0(), 25);
  // Backwards, and below zero: wrapped to the last frame, blending to 0.
  mesh->FPS = -10;
  mesh->Animate(0.1f);
  EXPECT_FLOAT_EQ(mesh->Time, 1.5f);
  mesh->Animate(0.2f);
  EXPECT_FLOAT_EQ(mesh->Time, 3.5f);
  EXPECT_FLOAT_EQ(x0(), 15);  // half way between 30 and 0
  // A time that overflows starts again at frame 0.
  mesh->FPS = 3e38f;
  mesh->Animate(10);
  EXPECT_EQ(mesh->Time, 0);
  EXPECT_FLOAT_EQ(x0(), 0);
  for (int i = 0; i < 4; ++i) {
    const TGLVector& v = body->Primitive->Vertices.Items()[i];
    EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
  }
}

TEST_F(Meshes, NormalsBlendOnlyWhileLitAndUnfitFramesAreLeftAlone) {
  Load(kGlass);
  auto* mesh = NewMesh("m");
  TMeshGroup* body = AddQuad(*mesh, 0, 0, 0, 10, 64);
  AddSlidingFrames(*body, 2);
  body->Primitive->CalcNormals();
  for (int k = 0; k < 2; ++k) {
    TGLVectorDArray* normals = body->NormalFrames.Add(std::make_unique<TGLVectorDArray>());
    normals->SetCount(4);
    for (int i = 0; i < 4; ++i) normals->Items()[i] = {float(k), 0, 1};
  }
  // A second group with one frame, and a third whose frames have another
  // vertex count, next to the first group's two.
  TMeshGroup* short_ = AddQuad(*mesh, 0, 20, 0, 30, 64);
  AddSlidingFrames(*short_, 1);
  TMeshGroup* odd = AddQuad(*mesh, 0, 40, 0, 50, 64);
  for (int k = 0; k < 2; ++k) odd->VertexFrames.Add(std::make_unique<TGLVectorDArray>())->SetCount(3);

  mesh->FPS = 1;
  SetLighting(false);
  mesh->Animate(0.5f);
  EXPECT_FLOAT_EQ(body->Primitive->Vertices.Items()[0].x, 5);
  EXPECT_EQ(body->Primitive->Normals.Items()[0].x, 0);  // unlit: normals untouched
  SetLighting(true);
  mesh->Animate(0.25f);
  EXPECT_FLOAT_EQ(body->Primitive->Normals.Items()[0].x, 0.75f);
  SetLighting(false);
  // Time 0.75: frame 0 toward frame 1; the short group has no frame 1.
  EXPECT_FLOAT_EQ(short_->Primitive->Vertices.Items()[0].x, 20);
  EXPECT_EQ(odd->Primitive->Vertices.Count(), 4);
  EXPECT_FLOAT_EQ(odd->Primitive->Vertices.Items()[0].x, 40);

  // Normal frames that stay empty (as the 3DM loader makes them) leave
  // the normals in place.
  for (int k = 0; k < 2; ++k) body->NormalFrames.Items(k)->SetCount(0);
  SetLighting(true);
  mesh->Animate(0.5f);
  SetLighting(false);
  EXPECT_EQ(body->Primitive->Normals.Count(), 4);
}

// A sheet given in both windings is drawn once, with culling off, and
// leaves the same pixels as both windings with culling on.
TEST_F(Meshes, TwoSidedSheetsFoldToOneSideDrawnWithoutCulling) {
  Load(kGlass);
  auto* mesh = NewMesh("m");
  // Left half: a quad, then its back (rotated corners, as a generator
  // may write them); right half: each back right after its front.
  TMeshGroup* sheet = AddQuad(*mesh, 0, 0, 0, 32, 64);
  const float corners[] = {0, 0, 0, 32, 0, 0, 32, 64, 0, 0, 64, 0, 32, 0, 0, 64, 0, 0, 64, 64, 0, 32, 64, 0};
  sheet->Primitive->Vertices.LoadFromArray(corners);
  const uint16_t both[] = {0, 1, 2, 0, 2, 3, 2, 1, 0, 3, 2, 0, 4, 5, 6, 6, 5, 4, 4, 6, 7, 7, 6, 4};
  sheet->Primitive->Indices.LoadFromArray(both);
  ASSERT_TRUE(sheet->FoldTwinFaces());
  EXPECT_TRUE(sheet->BothSides);
  const uint16_t* kept = sheet->Primitive->Indices.Items();
  EXPECT_EQ(std::vector<uint16_t>(kept, kept + sheet->Primitive->Indices.Count()),
            (std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));

  // Seen from behind (mirrored in x): culling would drop every kept face.
  StartFrame();
  GL.glEnable(GL_CULL_FACE);
  GL.glCullFace(GL_BACK);
  GL.glTranslatef(64, 0, 0);
  GL.glScalef(-1, 1, 1);
  mesh->RenderOpaque();
  EXPECT_TRUE(GL.glIsEnabled(GL_CULL_FACE)) << "the switch is left as it was";
  EXPECT_EQ(PixelAt(16, 32), (Pixel3{255, 255, 255}));
  EXPECT_EQ(PixelAt(48, 32), (Pixel3{255, 255, 255}));

  // Not every face has a twin: a lone face, a face repeated in the same
  // winding, a twin over other vertices. Such groups stay as they are.
  for (std::vector<uint16_t> faces : {std::vector<uint16_t>{0, 1, 2, 2, 1, 0, 0, 2, 3},
                                      std::vector<uint16_t>{0, 1, 2, 1, 2, 0},
                                      std::vector<uint16_t>{0, 1, 2, 3, 1, 0}}) {
    TMeshGroup* group = AddQuad(*mesh, 0, 0, 0, 32, 64);
    group->Primitive->Indices.LoadFromArray(faces);
    EXPECT_FALSE(group->FoldTwinFaces());
    EXPECT_FALSE(group->BothSides);
    const uint16_t* left = group->Primitive->Indices.Items();
    EXPECT_EQ(std::vector<uint16_t>(left, left + group->Primitive->Indices.Count()), faces);
  }
  // ... and the faces of one that stayed are culled from behind.
  TMeshGroup* plain = mesh->OpaqueGroups.Items(2);
  StartFrame();
  GL.glEnable(GL_CULL_FACE);
  GL.glTranslatef(64, 0, 0);
  GL.glScalef(-1, 1, 1);
  plain->Render();
  EXPECT_EQ(PixelAt(48, 32), (Pixel3{0, 0, 0}));
  TMeshGroup none(new TGLPrimitive(nullptr));
  EXPECT_FALSE(none.FoldTwinFaces());
}

TEST_F(Meshes, AddFramesCopiesTheVerticesAndBoundsSpanEveryGroup) {
  Load(kGlass);
  auto* mesh = NewMesh("m");
  TGLBox box{{1, 1, 1}, {2, 2, 2}};
  mesh->GetBounds(box);
  EXPECT_EQ(box.min.x, 0);
  EXPECT_EQ(box.max.z, 0);
  mesh->AddFrames(3, true);  // no groups: nothing to add to
  EXPECT_EQ(mesh->FrameCount(), 0);

  TMeshGroup* front = AddQuad(*mesh, 0, -5, 2, 10, 20, 3);
  TMeshGroup* back = AddQuad(*mesh, 1, 0, -7, 4, 1, -6);
  back->Primitive->CalcNormals();
  mesh->GetBounds(box);
  EXPECT_EQ(box.min.x, -5);
  EXPECT_EQ(box.min.y, -7);
  EXPECT_EQ(box.min.z, -6);
  EXPECT_EQ(box.max.x, 10);
  EXPECT_EQ(box.max.y, 20);
  EXPECT_EQ(box.max.z, 3);

  mesh->AddFrames(0, true);
  EXPECT_EQ(mesh->FrameCount(), 0);
  mesh->AddFrames(2, false);
  mesh->AddFrames(1, true);
  EXPECT_EQ(mesh->FrameCount(), 3);
  EXPECT_EQ(front->VertexFrames.Count(), 3);
  EXPECT_EQ(back->VertexFrames.Count(), 3);
  EXPECT_EQ(front->NormalFrames.Count(), 1);
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(front->VertexFrames.Items(k)->Count(), 4);
    EXPECT_EQ(front->VertexFrames.Items(k)->Items()[2].y, 20);
  }
  // Without normals of its own a group gets zero normal frames; with
  // normals, copies.
  ASSERT_EQ(front->NormalFrames.Items(0)->Count(), 4);
  EXPECT_EQ(front->NormalFrames.Items(0)->Items()[0].z, 0);
  EXPECT_EQ(back->NormalFrames.Items(0)->Items()[0].z, 1);
  // Code moves a frame; the animation shows it.
  front->VertexFrames.Items(1)->Items()[0] = {-15, 2, 3};
  mesh->FPS = 1;
  mesh->Time = 0.5f;
  mesh->Animate(0);
  EXPECT_FLOAT_EQ(front->Primitive->Vertices.Items()[0].x, -10);
  mesh->GetBounds(box);
  EXPECT_EQ(box.min.x, -10);
}

}  // namespace
}  // namespace scenetest
