// The water's geometry as it is built from a description: the planes
// fitted to the view, the grids with their coordinates, the layers and
// their colours by depth; waves, hills and the phases over short and long
// runs; the guards against views and values that would give no geometry;
// the keys read, written and read again; the visibility hook; the
// registration of the world's classes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "gl/Primitive.h"
#include "scene/SceneClasses.h"
#include "scene/SceneTexture.h"
#include "tests/world/WorldTestSupport.h"
#include "world/WaterGeometry.h"
#include "world/WorldClasses.h"

namespace worldtest {
namespace {

using ::testing::HasSubstr;
constexpr double kPi = std::numbers::pi;

// The frustum slopes of the viewport the program's form sets up: 75
// degrees, 4:3 (the aspect held as a float, as the viewport does).
const double kTop = std::tan(75.0 * kPi / 360.0);
const double kRight = double(4.0f / 3.0f) * kTop;

// Half the width of the planes: the largest x of a primitive.
float HalfWidth(const TGLPrimitive* p) {
  float m = 0;
  for (int i = 0; i < p->Vertices.Count(); ++i) m = std::max(m, p->Vertices.Items()[i].x);
  return m;
}

bool AllFinite(const TGLPrimitive* p) {
  for (int i = 0; i < p->Vertices.Count(); ++i) {
    const TGLVector v = p->Vertices.Items()[i];
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return false;
  }
  for (int i = 0; i < p->TexCoords[0].Count(); ++i) {
    const TGLTexCoord c = p->TexCoords[0].Items()[i];
    if (!std::isfinite(c.s) || !std::isfinite(c.t)) return false;
  }
  return true;
}

// Distance of x from the nearest whole number.
double OffWhole(double x) { return std::fabs(x - std::round(x)); }

using UnderWater = WaterGLTest;

TEST_F(UnderWater, WithoutABottomTextureThePlanesFitTheFrustumAtTheFarDepth) {
  TUnderWater& water = LoadWater();
  EXPECT_FALSE(water.HasBottomTexture);
  EXPECT_FALSE(water.HasUpTexture);
  // W = 4 x FarPlane x right / near; the heights are the frustum's edges
  // at the far depth, not the description's 5000 and -3000.
  EXPECT_NEAR(2 * HalfWidth(water.Backdrop()), 40924, 1);
  EXPECT_NEAR(2 * HalfWidth(water.Backdrop()), 40000 * kRight, 0.05);
  EXPECT_NEAR(water.UpY, 7673, 1);
  EXPECT_NEAR(water.BottomY, -7673, 1);
  EXPECT_NEAR(water.UpY, 10000 * kTop, 0.01);

  // The backdrop: UpColor along the top edge, BottomColor along the bottom.
  const TGLPrimitive* backdrop = water.Backdrop();
  ASSERT_EQ(backdrop->Vertices.Count(), 4);
  const float w2 = HalfWidth(backdrop);
  const TGLVector corners[] = {{-w2, water.UpY, -10000}, {-w2, water.BottomY, -10000}, {w2, water.BottomY, -10000},
                               {w2, water.UpY, -10000}};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(backdrop->Vertices.Items()[i], corners[i]) << i;
  const TGLColorBytes up{20, 160, 230, 255}, bottom{20, 90, 130, 255};
  EXPECT_EQ(backdrop->Colors.Items()[0], up);
  EXPECT_EQ(backdrop->Colors.Items()[1], bottom);
  EXPECT_EQ(backdrop->Colors.Items()[2], bottom);
  EXPECT_EQ(backdrop->Colors.Items()[3], up);
  EXPECT_EQ(backdrop->TexCoords[0].GetTexCoord(2).s, 1);
  EXPECT_EQ(backdrop->TexCoords[0].GetTexCoord(2).t, 1);
  EXPECT_EQ(std::vector<uint16_t>(backdrop->Indices.Items(), backdrop->Indices.Items() + 6),
            (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));

  // The light sheet: from the far top (z -7000) to the nearer bottom
  // (z -4000), brightest a tenth of the way (z -6700, y 0.8 x UpY here).
  const TGLPrimitive* shafts = water.LightShafts();
  ASSERT_EQ(shafts->Vertices.Count(), 6);
  EXPECT_EQ(shafts->Vertices.Items()[0], (TGLVector{-w2, water.UpY, -7000}));
  EXPECT_EQ(shafts->Vertices.Items()[2], (TGLVector{w2, water.BottomY, -4000}));
  EXPECT_FLOAT_EQ(shafts->Vertices.Items()[4].z, -6700);
  EXPECT_NEAR(shafts->Vertices.Items()[5].y, 0.8 * 10000 * kTop, 0.01);
  std::vector<int> alphas;
  for (int i = 0; i < 6; ++i) alphas.push_back(shafts->Colors.Items()[i].a);
  EXPECT_EQ(alphas, (std::vector<int>{0, 0, 0, 0, 80, 80}));
  EXPECT_FLOAT_EQ(shafts->TexCoords[0].GetTexCoord(5).t, 0.1f);
  EXPECT_EQ(std::vector<uint16_t>(shafts->Indices.Items(), shafts->Indices.Items() + 12),
            (std::vector<uint16_t>{0, 4, 5, 0, 5, 3, 4, 1, 2, 4, 2, 5}));
}

TEST_F(UnderWater, WithABottomTextureTheDescriptionsHeightsStayAndTheViewSetsOnlyTheWidth) {
  TUnderWater& water = LoadWater({{"BottomTexture", "Textures/SeaBottom"}, {"UpTexture", "Textures/surface.jpg"}});
  EXPECT_TRUE(water.HasBottomTexture);
  EXPECT_TRUE(water.HasUpTexture);
  EXPECT_EQ(water.UpY, 5000);
  EXPECT_EQ(water.BottomY, -3000);
  EXPECT_EQ(water.Backdrop()->Vertices.Items()[0].y, 5000);

  // A wide view widens the planes.
  App().Viewport().WideScreen = true;
  TUnderWater& wide = LoadWater();
  EXPECT_NEAR(2 * HalfWidth(wide.Backdrop()), 40000 * double(16.0f / 9.0f) * kTop, 0.05);
}

TEST_F(UnderWater, GridsHaveTheirCellsCoordinatesAndFacing) {
  TUnderWater& water = LoadWater();
  const double w = 40000 * kRight;

  // The bottom: 7 x 5 vertices from the far edge at -FarPlane to -3900.
  const TGLPrimitive* bottom = water.BottomGrid();
  ASSERT_EQ(bottom->Vertices.Count(), 35);
  ASSERT_EQ(bottom->TexCoords[0].Count(), 35);
  ASSERT_EQ(bottom->Indices.Count(), 144);
  EXPECT_EQ(bottom->Mode, GLenum(GL_TRIANGLES));
  for (int j = 0; j <= 4; ++j)
    for (int i = 0; i <= 6; ++i) {
      const int k = 7 * j + i;
      const TGLVector v = bottom->Vertices.Items()[k];
      EXPECT_NEAR(v.x, -w / 2 + i * w / 6, 0.02) << k;
      EXPECT_EQ(v.y, 0) << k;  // hills come with the first draw
      EXPECT_NEAR(v.z, -10000 + j * 1525, 0.001) << k;
      const TGLTexCoord c = bottom->TexCoords[0].Items()[k];
      EXPECT_NEAR(c.s, i * 3.5 * (w / 10000) / 6, 1e-5) << k;
      EXPECT_NEAR(c.t, (1 - j / 4.0) * 3.5, 1e-6) << k;
    }
  // The first and the last cell.
  EXPECT_EQ(std::vector<uint16_t>(bottom->Indices.Items(), bottom->Indices.Items() + 6),
            (std::vector<uint16_t>{0, 7, 8, 0, 8, 1}));
  EXPECT_EQ(std::vector<uint16_t>(bottom->Indices.Items() + 138, bottom->Indices.Items() + 144),
            (std::vector<uint16_t>{26, 33, 34, 26, 34, 27}));
  EXPECT_EQ(bottom->Colors.Count(), 1);
  EXPECT_EQ(bottom->Colors.Items()[0], (TGLColorBytes{255, 255, 255, 255}));
  ASSERT_EQ(bottom->Normals.Count(), 1);
  EXPECT_EQ(bottom->Normals.Items()[0], (TGLVector{0, 1, 0}));

  // The surface: turned over (x mirrored, facing down), 4000 deep.
  const TGLPrimitive* surface = water.SurfaceGrid();
  ASSERT_EQ(surface->Vertices.Count(), 35);
  EXPECT_EQ(surface->Indices.Count(), 144);
  EXPECT_NEAR(surface->Vertices.Items()[0].x, w / 2, 0.02);
  EXPECT_NEAR(surface->Vertices.Items()[6].x, -w / 2, 0.02);
  EXPECT_NEAR(surface->Vertices.Items()[34].z, -6000, 0.001);
  for (int k = 0; k < 35; ++k) EXPECT_NEAR(surface->Vertices.Items()[k].y, 0, 0.01) << k;
  ASSERT_EQ(surface->Normals.Count(), 35);
  for (int k = 0; k < 35; ++k) EXPECT_NEAR(surface->Normals.Items()[k].y, -1, 1e-5) << k;
  EXPECT_NEAR(surface->TexCoords[0].GetTexCoord(6).s, 2.0, 1e-6);
  EXPECT_NEAR(surface->TexCoords[0].GetTexCoord(0).t, 1.0, 1e-6);
  const TGLPrimitive* light = water.SurfaceLightGrid();
  EXPECT_NEAR(light->TexCoords[0].GetTexCoord(6).s, 4.0, 1e-6);
  EXPECT_EQ(light->Vertices.Count(), 35);

  // The light layers: white with the alphas (0.55 and 0.35 of 255).
  ASSERT_EQ(light->Colors.Count(), 1);
  EXPECT_EQ(light->Colors.Items()[0], (TGLColorBytes{255, 255, 255, 140}));
  const TGLPrimitive* bottomLight = water.BottomLightGrid();
  ASSERT_EQ(bottomLight->Colors.Count(), 1);
  EXPECT_EQ(bottomLight->Colors.Items()[0], (TGLColorBytes{255, 255, 255, 89}));
  EXPECT_EQ(bottomLight->Vertices.Count(), 35);

  // All eight are primitives of the context's list, and go with the water.
  TGLPrimitiveList* list = OpenGL().Primitives();
  const int before = list->Count();
  EXPECT_GE(before, 8);
  for (TGLPrimitive* p : {water.SurfaceGrid(), water.BottomGrid(), water.SurfaceLightGrid(), water.BottomLightGrid(),
                          water.SurfaceFogLayer(), water.BottomFogLayer(), water.Backdrop(), water.LightShafts()})
    EXPECT_GE(list->IndexOf(p), 0);
  scene_.reset();
  EXPECT_EQ(list->Count(), before - 8);
}

std::vector<int> AlphaByRow(const TGLPrimitive* layer) {
  std::vector<int> rows;
  for (int j = 0; j <= 4; ++j) rows.push_back(layer->Colors.Items()[7 * j + 3].a);
  return rows;
}

TEST_F(UnderWater, FogLayersAreClearBeforeFogStartAndOfThePlanesColourFromFogEnd) {
  TUnderWater& water = LoadWater();
  const TGLPrimitive* bottom = water.BottomFogLayer();
  ASSERT_EQ(bottom->Colors.Count(), 35);
  // Rows at z -10000, -8475, -6950, -5425, -3900; fog from 6000 to 10000.
  EXPECT_EQ(AlphaByRow(bottom), (std::vector<int>{255, 158, 61, 0, 0}));
  for (int k = 0; k < 35; ++k) {
    const TGLColorBytes c = bottom->Colors.Items()[k];
    EXPECT_EQ(c.r, 20);
    EXPECT_EQ(c.g, 90);
    EXPECT_EQ(c.b, 130);
  }
  // The surface: rows at -10000 .. -6000, in UpColor.
  const TGLPrimitive* surface = water.SurfaceFogLayer();
  EXPECT_EQ(AlphaByRow(surface), (std::vector<int>{255, 191, 128, 64, 0}));
  EXPECT_EQ(surface->Colors.Items()[10].g, 160);
  // The copies are the grids' geometry.
  EXPECT_EQ(bottom->Vertices.Items()[20], water.BottomGrid()->Vertices.Items()[20]);
  EXPECT_EQ(surface->Indices.Count(), 144);

  // Fog distances the other way round shade the other way.
  TUnderWater& reversed = LoadWater({{"FogStart", "10000"}, {"FogEnd", "6000"}});
  EXPECT_EQ(AlphaByRow(reversed.BottomFogLayer()), (std::vector<int>{0, 97, 194, 255, 255}));

  // Equal distances shade nothing: the layers stay clear (not whatever
  // the grown colour array held).
  TUnderWater& equal = LoadWater({{"FogStart", "8000"}, {"FogEnd", "8000.005"}});
  for (const TGLPrimitive* layer : {equal.BottomFogLayer(), equal.SurfaceFogLayer()}) {
    ASSERT_EQ(layer->Colors.Count(), 35);
    for (int k = 0; k < 35; ++k) EXPECT_EQ(layer->Colors.Items()[k], (TGLColorBytes{0, 0, 0, 0})) << k;
  }
}

TEST(ShadeByDepth, ClampsSkipsAndFollowsEitherDirection) {
  TGLPrimitive layer(nullptr);
  const float vertices[] = {0, 0, -5, 0, 0, -10, 0, 0, -15, 0, 0, -20, 0, 0, -25};
  layer.Vertices.LoadFromArray(vertices);
  layer.Colors.SetCount(5);
  const TGLColor nearColor{0.5f, 2.0f, -1.0f, 0.0005f}, farColor{0.5f, 0.0f, 1.0f, 1.0f};
  ShadeByDepth(nearColor, farColor, -10, -20, layer);
  std::vector<std::vector<int>> got;
  for (int i = 0; i < 5; ++i) {
    const TGLColorBytes c = layer.Colors.Items()[i];
    got.push_back({c.r, c.g, c.b, c.a});
  }
  // Green above 1 is 1; blue and alpha below 0.001 are 0.
  EXPECT_EQ(got, (std::vector<std::vector<int>>{
                     {128, 255, 0, 0}, {128, 255, 0, 0}, {128, 255, 0, 128}, {128, 0, 255, 255}, {128, 0, 255, 255}}));

  // Counts that differ, and distances within 0.01, leave the colours.
  layer.Colors.SetCount(4);
  for (int i = 0; i < 4; ++i) layer.Colors.Items()[i] = {1, 2, 3, 4};
  ShadeByDepth(nearColor, farColor, -10, -20, layer);
  EXPECT_EQ(layer.Colors.Items()[3], (TGLColorBytes{1, 2, 3, 4}));
  layer.Colors.SetCount(5);
  layer.Colors.Items()[4] = {1, 2, 3, 4};
  ShadeByDepth(nearColor, farColor, -10, -10.005f, layer);
  EXPECT_EQ(layer.Colors.Items()[0], (TGLColorBytes{1, 2, 3, 4}));
}

TEST_F(UnderWater, AlphasOutsideZeroToOneStopTheLoadNamingWaterAndKey) {
  EXPECT_THAT(Message([&] { LoadWater({{"UpAlpha", "1.5"}}); }),
              HasSubstr("TUnderWater.MakeLayers error: UpAlpha 1.5 is out of range 0..1 in water Blue Water (file "));
  EXPECT_THAT(Message([&] { LoadWater({{"BottomAlpha", "-0.2"}}); }),
              HasSubstr("TUnderWater.MakeLayers error: BottomAlpha -0.2 is out of range 0..1 in water Blue Water"));
  EXPECT_THAT(Message([&] { LoadWater({{"BottomAlpha", "-0.2"}}); }), HasSubstr("section [MainScene2]"));
  // What rounds into 0..255 passes.
  TUnderWater& edge = LoadWater({{"UpAlpha", "1.0019"}, {"BottomAlpha", "-0.0019"}});
  EXPECT_EQ(edge.SurfaceLightGrid()->Colors.Items()[0].a, 255);
  EXPECT_EQ(edge.BottomLightGrid()->Colors.Items()[0].a, 0);
}

TEST_F(UnderWater, ViewsWithoutExtentAndPlanesBeyondFloatsAreRefusedOrMeasuredElsewhere) {
  // A near depth of 0: the same view, measured one unit in front.
  App().Viewport().NearDepth = 0;
  TUnderWater& water = LoadWater();
  EXPECT_NEAR(2 * HalfWidth(water.Backdrop()), 40000 * kRight, 0.05);
  EXPECT_NEAR(water.BottomY, -10000 * kTop, 0.01);
  App().Viewport().NearDepth = -5;
  EXPECT_NEAR(LoadWater().UpY, 10000 * kTop, 0.01);

  App().Viewport().NearDepth = 100;
  App().Viewport().FOV = 0;
  EXPECT_THAT(Message([&] { LoadWater(); }),
              HasSubstr("ViewSlopes error: The viewport gives no view (field of view 0, near depth 100) (file "));
  App().Viewport().FOV = 200;
  EXPECT_THAT(Message([&] { LoadWater(); }), HasSubstr("field of view 200"));

  App().Viewport().FOV = 75;
  EXPECT_THAT(Message([&] { LoadWater({{"FarPlane", "3E38"}}); }),
              HasSubstr("TUnderWater.BuildGeometry error: The planes of water Blue Water do not fit in floating "
                        "point (FarPlane 3E38"));
  // With a bottom texture the heights come from the description.
  EXPECT_THAT(Message([&] { LoadWater({{"BottomTexture", "Textures/SeaBottom"}, {"UpY", "3.3E38"}}); }),
              HasSubstr("UpY 3.3E38"));

  // A far plane of 0 is degenerate but finite everywhere.
  TUnderWater& flat = LoadWater({{"FarPlane", "0"}});
  for (const TGLPrimitive* p : {flat.BottomGrid(), flat.SurfaceGrid(), flat.Backdrop(), flat.LightShafts()})
    EXPECT_TRUE(AllFinite(p));
}

TEST_F(UnderWater, NeedsTheApplicationsContextToBuild) {
  scenetest::SceneFiles plain;
  plain.Write("water.gsc", Describe({ShippedWater("Blue Water")}, {}));
  EXPECT_THAT(Message([&] { plain.Load("water.gsc"); }),
              HasSubstr("TUnderWater.BuildGeometry error: Water Blue Water is not in a scene with a rendering context"));
}

TEST_F(UnderWater, WavesAfterAKnownTimeMoveOnlyTheNearerRows) {
  TUnderWater& water = LoadWater();
  TGLPrimitive* surface = water.SurfaceGrid();
  TGLPrimitive* light = water.SurfaceLightGrid();
  std::vector<TGLVector> surfaceBefore(surface->Vertices.Items(), surface->Vertices.Items() + 35);
  std::vector<TGLTexCoord> coordsBefore(light->TexCoords[0].Items(), light->TexCoords[0].Items() + 35);
  std::vector<TGLVector> bottomBefore(water.BottomGrid()->Vertices.Items(), water.BottomGrid()->Vertices.Items() + 35);

  for (int i = 0; i < 8; ++i) water.Animate(0.25f);
  EXPECT_FLOAT_EQ(water.WavePhase, 3.0f);
  EXPECT_FLOAT_EQ(water.CausticPhase, 0.8f);
  for (int k = 0; k < 35; ++k) {
    const TGLVector s = surface->Vertices.Items()[k], l = light->Vertices.Items()[k];
    if (k < 7) {
      EXPECT_EQ(s, surfaceBefore[k]) << k;  // the far row meets the backdrop
      EXPECT_NEAR(l.y, 0, 0.01) << k;
      continue;
    }
    const double y = 150 * std::sin((k % 7) * kPi / 2 + 3) - 100 * std::cos(k * kPi / 5 + 3);
    EXPECT_NEAR(s.y, y, 1e-3) << k;
    EXPECT_NEAR(l.y, y, 1e-3) << k;
    EXPECT_EQ(s.x, surfaceBefore[k].x) << k;
    EXPECT_EQ(s.z, surfaceBefore[k].z) << k;
  }
  // The light map drifted 0.04 left and 0.1 up (give or take whole
  // repeats); the bottom did not move.
  for (int k = 0; k < 35; ++k) {
    const TGLTexCoord c = light->TexCoords[0].Items()[k];
    EXPECT_LT(OffWhole(c.s - (coordsBefore[k].s - 0.04)), 1e-5) << k;
    EXPECT_LT(OffWhole(c.t - (coordsBefore[k].t + 0.1)), 1e-5) << k;
  }
  for (int k = 0; k < 35; ++k) EXPECT_EQ(water.BottomGrid()->Vertices.Items()[k], bottomBefore[k]);

  // A step of 0 or of no number changes nothing.
  std::vector<TGLVector> after(light->Vertices.Items(), light->Vertices.Items() + 35);
  water.Animate(0);
  water.Animate(std::nanf(""));
  water.Animate(INFINITY);
  EXPECT_FLOAT_EQ(water.WavePhase, 3.0f);
  EXPECT_FLOAT_EQ(water.CausticPhase, 0.8f);
  for (int k = 0; k < 35; ++k) EXPECT_EQ(light->Vertices.Items()[k], after[k]) << k;
}

TEST_F(UnderWater, LongStepsAndLongRunsKeepThePhasesWrappedAndExact) {
  TUnderWater& water = LoadWater();
  TGLPrimitive* light = water.SurfaceLightGrid();
  std::vector<TGLTexCoord> base(light->TexCoords[0].Items(), light->TexCoords[0].Items() + 35);

  // Several seconds at once.
  water.Animate(5);
  EXPECT_NEAR(water.WavePhase, 7.5 - 2 * kPi, 1e-5);
  EXPECT_FLOAT_EQ(water.CausticPhase, 2.0f);
  // Three days at once: the phases are what they would be, wrapped.
  water.Animate(259200);
  EXPECT_NEAR(water.WavePhase, std::fmod(7.5 + 1.5 * 259200, 2 * kPi), 1e-5);
  EXPECT_NEAR(water.CausticPhase, std::fmod(2 + 0.4 * 259200, 20.0), 1e-4);
  for (int k = 7; k < 35; ++k) {
    const double y = 150 * std::sin((k % 7) * kPi / 2 + water.WavePhase) - 100 * std::cos(k * kPi / 5 + water.WavePhase);
    EXPECT_NEAR(light->Vertices.Items()[k].y, y, 1e-3) << k;
  }
  EXPECT_TRUE(AllFinite(light));
  EXPECT_TRUE(AllFinite(water.SurfaceGrid()));

  // Hours more in frames of 1/60 s: the phases stay within their periods
  // and still advance by the exact step of a frame (a phase that grew
  // without bound would by now advance in steps of its float spacing);
  // the light map stays within one repeat of where it started, where the
  // time that passed puts it.
  double seconds = 5 + 259200;
  const float frame = 1.0f / 60;
  for (int i = 0; i < 1000000; ++i) water.Animate(frame);
  seconds += 1000000.0 * double(frame);
  EXPECT_GE(water.WavePhase, 0);
  EXPECT_LT(water.WavePhase, 2 * kPi + 1e-6);
  EXPECT_GE(water.CausticPhase, 0);
  EXPECT_LT(water.CausticPhase, 20);
  for (int i = 0; i < 100; ++i) {
    const float wave = water.WavePhase, caustic = water.CausticPhase;
    water.Animate(frame);
    seconds += frame;
    EXPECT_LT(OffWhole((water.WavePhase - wave - 1.5 * frame) / (2 * kPi)), 2e-6) << i;
    EXPECT_LT(OffWhole((water.CausticPhase - caustic - 0.4 * frame) / 20), 2e-7) << i;
  }
  for (int k = 0; k < 35; ++k) {
    const TGLTexCoord c = light->TexCoords[0].Items()[k];
    EXPECT_GE(c.s, base[k].s);
    EXPECT_LT(c.s, base[k].s + 1);
    EXPECT_GE(c.t, base[k].t);
    EXPECT_LT(c.t, base[k].t + 1);
    EXPECT_LT(OffWhole(c.s - (base[k].s - 0.02 * seconds)), 1e-5) << k;
    EXPECT_LT(OffWhole(c.t - (base[k].t + 0.05 * seconds)), 1e-5) << k;
  }
}

TEST_F(UnderWater, HillsRiseOnTheBottomAndItsFogLayerAndFlatLaysThemDown) {
  TUnderWater& water = LoadWater({{"BottomTexture", "Textures/SeaBottom"}});
  EXPECT_FALSE(water.Flat);
  EXPECT_TRUE(water.FlatApplied);
  water.ApplyRelief();
  EXPECT_FALSE(water.FlatApplied);
  const TGLVector* grid = water.BottomGrid()->Vertices.Items();
  const TGLVector* layer = water.BottomFogLayer()->Vertices.Items();
  for (int k = 0; k < 35; ++k) {
    const double y = k < 7 ? 0 : 650 * std::sin((k % 7) * kPi / 2) - 300 * std::cos(k * kPi / 5);
    EXPECT_NEAR(grid[k].y, y, 1e-3) << k;
    EXPECT_EQ(layer[k].y, grid[k].y) << k;
  }
  EXPECT_NEAR(grid[8].y, 650 - 300 * std::cos(8 * kPi / 5), 1e-3);

  water.Flat = true;
  water.ApplyRelief();
  EXPECT_TRUE(water.FlatApplied);
  for (int k = 0; k < 35; ++k) {
    EXPECT_EQ(grid[k].y, 0) << k;
    EXPECT_EQ(layer[k].y, 0) << k;
  }
}

TEST_F(UnderWater, VisibilitySwitchesTheWatersLightAndTheFileIndexes) {
  files.Write("bottoms.txt", "b0.bmp\r\nb1.bmp\r\nb2.bmp\r\n");
  files.Write("surfaces.txt", "s0.bmp\r\ns1.bmp\r\ns2.bmp\r\n");
  files.Write("pictures.txt", "p0.jpg\r\np1.jpg\r\np2.jpg\r\n");
  std::vector<Keys> textures = StandardTextures();
  textures[3] = {{"Name", "SeaBottom"}, {"FileListName", "bottoms.txt"}};
  textures[4] = {{"Name", "surface.jpg"}, {"FileListName", "surfaces.txt"}};
  textures.push_back({{"Name", "FonA.jpg"}, {"FileListName", "pictures.txt"}});
  const Keys textured = {{"BottomTexture", "Textures/SeaBottom"}, {"UpTexture", "Textures/surface.jpg"}};
  std::vector<Keys> objects = {
      {{"Type", "TTestLight"}, {"Name", "Blue Light"}, {"Enabled", "1"}},
      {{"Type", "TTestLight"}, {"Name", "Green Light"}, {"Enabled", "0"}},
      With(With(ShippedWater("Blue Water"), textured), {{"Light", "Blue Light"}}),
      With(With(ShippedWater("Green Water"), textured),
           {{"Light", "Green Light"}, {"Visible", "0"}, {"BackgroundIndex", "2"}}),
      With(With(ShippedWater("Dark Water"), textured), {{"BackgroundIndex", "1"}}),
  };
  LoadText(Describe(objects, textures));
  auto* blueLight = Find<TTestLight>("Blue Light");
  auto* greenLight = Find<TTestLight>("Green Light");
  auto* bottom = Find<TSceneTexture>("Textures/SeaBottom");
  auto* surface = Find<TSceneTexture>("Textures/surface.jpg");
  auto* picture = Find<TSceneTexture>("Textures/FonA.jpg");
  // Reading "Visible" came before "Light": nothing was switched.
  EXPECT_EQ(blueLight->Enables + blueLight->Disables + greenLight->Enables + greenLight->Disables, 0);
  EXPECT_EQ(bottom->GetFileIndex(), 0);

  Water("Green Water")->SetVisible(true);
  EXPECT_TRUE(Water("Green Water")->Visible());
  EXPECT_EQ(greenLight->Enables, 1);
  EXPECT_TRUE(greenLight->Enabled);
  for (TSceneTexture* t : {bottom, surface, picture}) EXPECT_EQ(t->GetFileIndex(), 2) << t->Name();
  EXPECT_EQ(bottom->TextureName, "b2.bmp");
  EXPECT_EQ(picture->TextureName, "p2.jpg");

  Water("Blue Water")->SetVisible(false);
  EXPECT_EQ(blueLight->Disables, 1);
  EXPECT_FALSE(blueLight->Enabled);
  EXPECT_EQ(bottom->GetFileIndex(), 2);  // hiding leaves the indexes
  Water("Blue Water")->SetVisible(true);
  EXPECT_EQ(bottom->GetFileIndex(), 0);
  EXPECT_TRUE(blueLight->Enabled);

  // Without a light the hook does nothing but store the flag.
  Water("Dark Water")->SetVisible(true);
  EXPECT_EQ(bottom->GetFileIndex(), 0);
  Water("Dark Water")->SetVisible(false);
  EXPECT_FALSE(Water("Dark Water")->Visible());
}

TEST_F(UnderWater, KeysAreWrittenInTheirOrderAndReadBackAlike) {
  std::vector<Keys> objects = {
      {{"Type", "TTestLight"}, {"Name", "Blue Light"}},
      {{"Type", "TTestBackground"}, {"Name", "Reef"}},
      With(ShippedWater("Blue Water"), {{"EmulateDepth", "1"},
                                        {"BottomTexture", "Textures/SeaBottom"},
                                        {"UpTexture", "Textures/surface.jpg"},
                                        {"BottomLightMap", "Textures/water.jpg"},
                                        {"BackgroundIndex", "2"},
                                        {"Light", "Blue Light"},
                                        {"Background", "Reef"},
                                        {"FogStart", "6000.0"}}),
  };
  TMainScene& scene = LoadText(Describe(objects, StandardTextures()));
  TUnderWater* water = Water("Blue Water");
  EXPECT_EQ(water->FogStart, 6000);
  EXPECT_EQ(water->Background, scene.FindObject("Reef"));
  EXPECT_EQ(water->Light, scene.FindObject("Blue Light"));
  EXPECT_EQ(water->BottomLightMap, scene.FindObject("Textures/water.jpg"));
  EXPECT_TRUE(water->EmulateDepth);
  EXPECT_EQ(water->BackgroundIndex, 2);

  scene.SourceName = "saved.gsc";
  scene.Save();
  const std::string saved = files.Read("saved.gsc");
  const size_t section = saved.find("[MainScene4]");
  ASSERT_NE(section, std::string::npos) << saved;
  EXPECT_THAT(saved.substr(section),
              HasSubstr("Type=TUnderWater\r\nName=Blue Water\r\nProcessOptions=[Render,Animation]\r\n"
                        "FarPlane=10000\r\nFogStart=6000\r\nFogEnd=10000\r\nEmulateDepth=1\r\n"
                        "FogColor=0,106,156,255\r\nUpY=5000\r\nBottomY=-3000\r\nUpColor=20,160,230,255\r\n"
                        "BottomColor=20,90,130,255\r\nUpAlpha=0.55\r\nBottomAlpha=0.35\r\n"
                        "BottomTexture=Textures/SeaBottom\r\nUpTexture=Textures/surface.jpg\r\n"
                        "LightTexture=Textures/caustlight.jpg\r\nUpLightMap=Textures/water.jpg\r\n"
                        "BottomLightMap=Textures/water.jpg\r\nBackgroundLightMap=Textures/caustback.jpg\r\n"
                        "Light=Blue Light\r\nBackGround=Reef\r\nBackgroundIndex=2\r\n"));

  std::unique_ptr<TMainScene> first = std::move(scene_);
  LoadText(saved);
  TUnderWater* again = Water("Blue Water");
  EXPECT_EQ(again->FarPlane, water->FarPlane);
  EXPECT_EQ(again->FogEnd, water->FogEnd);
  EXPECT_EQ(again->FogColor, water->FogColor);
  EXPECT_EQ(again->UpColor, water->UpColor);
  EXPECT_EQ(again->BottomColor, water->BottomColor);
  EXPECT_EQ(again->UpAlpha, water->UpAlpha);
  EXPECT_EQ(again->BottomAlpha, water->BottomAlpha);
  EXPECT_EQ(again->UpY, water->UpY);
  EXPECT_EQ(again->BottomY, water->BottomY);
  EXPECT_EQ(again->EmulateDepth, water->EmulateDepth);
  EXPECT_EQ(again->BackgroundIndex, water->BackgroundIndex);
  EXPECT_EQ(again->Background, scene_->FindObject("Reef"));
  EXPECT_EQ(again->Light, scene_->FindObject("Blue Light"));
  EXPECT_EQ(again->UpLightMap, scene_->FindObject("Textures/water.jpg"));
  EXPECT_EQ(again->BackgroundLightMap, scene_->FindObject("Textures/caustback.jpg"));
  first.reset();

  // Unset references are written empty and read back as none; a path to
  // something that is not a texture or a switch reads as none too.
  LoadWater({{"LightTexture", "Textures"}, {"UpLightMap", ""}, {"Light", "Textures/water.jpg"}});
  TUnderWater* plain = Water("Blue Water");
  EXPECT_EQ(plain->LightTexture, nullptr);
  EXPECT_EQ(plain->Light, nullptr);
  scene_->SourceName = "plain.gsc";
  scene_->Save();
  LoadText(files.Read("plain.gsc"));
  EXPECT_EQ(Water("Blue Water")->UpLightMap, nullptr);
  EXPECT_EQ(Water("Blue Water")->Background, nullptr);
  EXPECT_FALSE(Water("Blue Water")->HasBottomTexture);
}

TEST_F(UnderWater, AMissingBackgroundIndexReadsAsZeroOtherKeysKeepTheirValues) {
  TUnderWater& water = LoadWater({{"BackgroundIndex", "2"}, {"FogStart", "5000"}});
  EXPECT_EQ(water.BackgroundIndex, 2);
  TResourceLoader loader;
  loader.MainScene = scene_.get();
  loader.OpenLines({"[Again]", "FogEnd=9000"});
  loader.Section = "Again";
  water.ReadProperties(loader);
  EXPECT_EQ(water.BackgroundIndex, 0);
  EXPECT_EQ(water.FogStart, 5000);
  EXPECT_EQ(water.FogEnd, 9000);
  EXPECT_NE(water.LightTexture, nullptr);
  // The geometry was built again for the new distances.
  EXPECT_EQ(AlphaByRow(water.BottomFogLayer()), (std::vector<int>{255, 222, 124, 27, 0}));
  EXPECT_EQ(OpenGL().Primitives()->Count(), 8);
}

TEST(WorldClasses, FollowTheSceneGraphsAndRegisterOnce) {
  const std::vector<std::string> names = SceneClassNames();
  const auto water = std::find(names.begin(), names.end(), "TUnderWater");
  ASSERT_NE(water, names.end());
  for (const char* scene : {"TMainScene", "TSceneTexture", "TSceneTextureList"})
    EXPECT_LT(std::find(names.begin(), names.end(), scene), water) << scene;
  RegisterWorldClasses();
  EXPECT_EQ(SceneClassNames(), names);
  std::unique_ptr<TMainObject> made = CreateSceneObject("tunderwater", "Sea");
  ASSERT_NE(dynamic_cast<TUnderWater*>(made.get()), nullptr);
  EXPECT_EQ(made->Name(), "Sea");
  // What the water starts with.
  auto* fresh = static_cast<TUnderWater*>(made.get());
  EXPECT_TRUE(fresh->UseLights && fresh->UseCaustic && fresh->UseBackground && fresh->FlatApplied);
  EXPECT_FALSE(fresh->Flat || fresh->EmulateDepth);
  EXPECT_EQ(fresh->BackgroundMode, 1);
  EXPECT_EQ(fresh->Backdrop(), nullptr);
}

}  // namespace
}  // namespace worldtest
