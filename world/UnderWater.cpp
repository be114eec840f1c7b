#include "world/UnderWater.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>

#include "scene/DefViewport.h"
#include "scene/SceneHost.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "gl/Primitive.h"
#include "gl/Texture.h"
#include "scene/MainLight.h"
#include "scene/MainScene.h"
#include "scene/PassTimes.h"
#include "scene/RenderState.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneTexture.h"
#include "scene/SceneValues.h"
#include "world/Caustics.h"
#include "world/WaterGeometry.h"

namespace velmora {

namespace {

constexpr int kCellsX = 6, kCellsZ = 4;
constexpr double kPi = std::numbers::pi;
// The background object (the reef) on one screen: three copies side by
// side, this far apart, the middle one straight ahead.
constexpr float kBackgroundCopySpacing = 12600;
// Over several monitors, one picture in two halves: the left half this far
// to the left of the middle, the right half this far on from the left one,
// a little less than a copy's width, so that the halves overlap and leave
// no seam.
constexpr float kSpanningHalfOffset = 6295;
constexpr float kSpanningHalfStep = 12594;

// value brought into 0 .. period.
double Wrapped(double value, double period) {
  double r = std::fmod(value, period);
  if (r < 0) r += period;
  if (!(r < period)) r = 0;  // rounding up to period
  return r;
}

// The same for a phase held as a float.
float WrappedPhase(double value, double period) {
  const float r = static_cast<float>(Wrapped(value, period));
  return r < static_cast<float>(period) ? r : 0.0f;
}

TGLColor ToFloats(TGLColorBytes c, float alpha) { return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, alpha}; }

// Every value as a float: finite and with room for the small offsets the
// drawing adds (waves, hills).
bool FitsFloat(double value) { return std::isfinite(value) && std::fabs(value) <= FLT_MAX / 2; }

// Drawing a primitive at y = h: translated, rendered, matrix restored.
void DrawAt(TGLPrimitive* primitive, float y) {
  GL.glPushMatrix();
  GL.glTranslatef(0, y, 0);
  primitive->Render();
  GL.glPopMatrix();
}

// Texturing on the active unit and the texture bound through the shared
// cache; a missing texture leaves texturing off.
void UseTexture(TCustomOpenGL& gl, TSceneTexture* texture) {
  gl.SetTexture2D(true);
  BindSceneTexture(texture);
  if (!texture) gl.SetTexture2D(false);
}

// Texturing off, with the cache saying so too: a later bind of the same
// texture must switch it on again.
void TextureOff(TCustomOpenGL& gl) {
  BindSceneTexture(nullptr);
  gl.SetTexture2D(false);
}

// The fog layer's alphas, one per vertex (0 where the layer has no colour
// of its own per vertex).
std::vector<float> FogCoordinates(const TGLPrimitive* layer) {
  std::vector<float> coords(static_cast<size_t>(layer->Vertices.Count()), 0.0f);
  if (layer->Colors.Count() == layer->Vertices.Count())
    for (size_t k = 0; k < coords.size(); ++k) coords[k] = layer->Colors.Items()[k].a / 255.0f;
  return coords;
}

void SetTexGen(GLenum coord, GLenum mode, GLenum planeName, const GLfloat* plane) {
  GL.glTexGeni(coord, GL_TEXTURE_GEN_MODE, static_cast<GLint>(mode));
  GL.glTexGenfv(coord, planeName, plane);
}

}  // namespace

bool ShaftClipPlanes(const TGLPrimitive& sheet, double keepFromTop[4], double keepFromBottom[4]) {
  if (sheet.Vertices.Count() != 6 || sheet.Colors.Count() != 6) return false;
  const TGLVector top = sheet.Vertices.Items()[0], bottom = sheet.Vertices.Items()[1], bright = sheet.Vertices.Items()[4];
  const double topAlpha = sheet.Colors.Items()[0].a, bottomAlpha = sheet.Colors.Items()[1].a,
               peak = sheet.Colors.Items()[4].a;
  const double cut = std::ceil(kBlendAlphaReference * 255.0) - 1;
  if (!(topAlpha <= cut && bottomAlpha <= cut && peak > cut)) return false;
  const double uTop = (cut - topAlpha) / (peak - topAlpha), uBottom = (peak - cut) / (peak - bottomAlpha);
  const double dy = double(bottom.y) - top.y, dz = double(bottom.z) - top.z;
  auto at = [](double a, double b, double u) { return a + (b - a) * u; };
  const double y0 = at(top.y, bright.y, uTop), z0 = at(top.z, bright.z, uTop);
  const double y1 = at(bright.y, bottom.y, uBottom), z1 = at(bright.z, bottom.z, uBottom);
  const double fromTop[4] = {0, dy, dz, -(dy * y0 + dz * z0)};
  const double fromBottom[4] = {0, -dy, -dz, dy * y1 + dz * z1};
  if (!std::isfinite(fromTop[3]) || !std::isfinite(fromBottom[3]) || (dy == 0 && dz == 0)) return false;
  std::copy(fromTop, fromTop + 4, keepFromTop);
  std::copy(fromBottom, fromBottom + 4, keepFromBottom);
  return true;
}

TUnderWater::~TUnderWater() { FreeGeometry(); }

// --- keys --------------------------------------------------------------------------

void TUnderWater::ReadProperties(TResourceLoader& loader) {
  TMainSceneObject::ReadProperties(loader);
  FarPlane = loader.ReadFloat("FarPlane", FarPlane);
  FogStart = loader.ReadFloat("FogStart", FogStart);
  FogEnd = loader.ReadFloat("FogEnd", FogEnd);
  FogColor = loader.ReadColorBytes("FogColor", FogColor);
  EmulateDepth = loader.ReadBool("EmulateDepth", EmulateDepth);
  UpY = loader.ReadFloat("UpY", UpY);
  BottomY = loader.ReadFloat("BottomY", BottomY);
  UpColor = loader.ReadColorBytes("UpColor", UpColor);
  BottomColor = loader.ReadColorBytes("BottomColor", BottomColor);
  UpAlpha = loader.ReadFloat("UpAlpha", UpAlpha);
  BottomAlpha = loader.ReadFloat("BottomAlpha", BottomAlpha);
  BottomTexture = loader.ReadReferenceAs<TSceneTexture>("BottomTexture", BottomTexture);
  HasBottomTexture = BottomTexture != nullptr;
  UpTexture = loader.ReadReferenceAs<TSceneTexture>("UpTexture", UpTexture);
  HasUpTexture = UpTexture != nullptr;
  BackgroundIndex = loader.ReadInteger("BackgroundIndex", 0);
  LightTexture = loader.ReadReferenceAs<TSceneTexture>("LightTexture", LightTexture);
  UpLightMap = loader.ReadReferenceAs<TSceneTexture>("UpLightMap", UpLightMap);
  BottomLightMap = loader.ReadReferenceAs<TSceneTexture>("BottomLightMap", BottomLightMap);
  BackgroundLightMap = loader.ReadReferenceAs<TSceneTexture>("BackgroundLightMap", BackgroundLightMap);
  Light = loader.ReadReferenceAs<TMainLight>("Light", Light);
  Background = loader.ReadReference("Background", dynamic_cast<TMainObject*>(Background));
  BuildGeometry();
}

void TUnderWater::WriteProperties(TResourceLoader& loader) {
  TMainSceneObject::WriteProperties(loader);
  loader.WriteFloat("FarPlane", FarPlane);
  loader.WriteFloat("FogStart", FogStart);
  loader.WriteFloat("FogEnd", FogEnd);
  loader.WriteBool("EmulateDepth", EmulateDepth);
  loader.WriteColorBytes("FogColor", FogColor);
  loader.WriteFloat("UpY", UpY);
  loader.WriteFloat("BottomY", BottomY);
  loader.WriteColorBytes("UpColor", UpColor);
  loader.WriteColorBytes("BottomColor", BottomColor);
  loader.WriteFloat("UpAlpha", UpAlpha);
  loader.WriteFloat("BottomAlpha", BottomAlpha);
  // An unset reference is written empty and reads back as none.
  loader.WriteReference("BottomTexture", BottomTexture);
  loader.WriteReference("UpTexture", UpTexture);
  loader.WriteReference("LightTexture", LightTexture);
  loader.WriteReference("UpLightMap", UpLightMap);
  loader.WriteReference("BottomLightMap", BottomLightMap);
  loader.WriteReference("BackgroundLightMap", BackgroundLightMap);
  loader.WriteReference("Light", Light);
  loader.WriteReference("BackGround", Background);
  loader.WriteInteger("BackgroundIndex", BackgroundIndex);
}

// --- visibility ----------------------------------------------------------------------

void TUnderWater::SetVisible(bool value) {
  TMainSceneObject::SetVisible(value);
  // While the keys are read the base reads "Visible" before "Light": that
  // first call only stores the flag.
  if (!Light) return;
  if (!value) {
    Light->Disable();
    return;
  }
  Light->Enable();
  if (BottomTexture) BottomTexture->SetFileIndex(BackgroundIndex);
  if (UpTexture) UpTexture->SetFileIndex(BackgroundIndex);
  // The background picture of the scene's texture list, where there is one.
  if (TMainScene* scene = MainScene())
    if (auto* textures = dynamic_cast<TMainObjectList*>(scene->FindItem("Textures")))
      if (auto* picture = dynamic_cast<TSceneTexture*>(textures->FindItem("FonA.jpg")))
        picture->SetFileIndex(BackgroundIndex);
}

// --- geometry ------------------------------------------------------------------------

void TUnderWater::FreeGeometry() {
  for (TGLPrimitive** p : {&surfaceGrid_, &bottomGrid_, &surfaceLightGrid_, &bottomLightGrid_, &surfaceFogLayer_,
                           &bottomFogLayer_, &backdrop_, &lightShafts_}) {
    delete *p;
    *p = nullptr;
  }
  surfaceLightCoords_.clear();
  surfaceFogCoords_.clear();
  bottomFogCoords_.clear();
}

void TUnderWater::BuildGeometry() {
  TSceneHost* application = Application();
  TCustomOpenGL* gl = OpenGL();
  if (!application || !gl)
    RaiseError("TUnderWater", "BuildGeometry", "Water " + Name() + " is not in a scene with a rendering context");
  const TViewSlopes view = ViewSlopes(application->Viewport());
  const double far = FarPlane;
  const double width = 4.0 * far * view.Right;
  const double bottomY = HasBottomTexture ? BottomY : far * view.Bottom;
  const double upY = HasBottomTexture ? UpY : far * view.Top;
  if (!FitsFloat(width) || !FitsFloat(bottomY) || !FitsFloat(upY) || !FitsFloat(far - 6000) || !FitsFloat(far + 6000))
    RaiseError("TUnderWater", "BuildGeometry",
               Format("The planes of water %s do not fit in floating point (FarPlane %s, UpY %s, BottomY %s)",
                      Name().c_str(), SceneFloatToStr(FarPlane).c_str(), SceneFloatToStr(float(upY)).c_str(),
                      SceneFloatToStr(float(bottomY)).c_str()));
  const float w = static_cast<float>(width);

  FreeGeometry();
  BottomY = static_cast<float>(bottomY);
  UpY = static_cast<float>(upY);
  TGLPrimitiveList* primitives = gl->Primitives();

  // Texture repeats across the bottom: 3.5 x W / FarPlane, which is
  // 14 x right / near whatever FarPlane is (0 included).
  bottomGrid_ = primitives->Add();
  MakeGrid(*bottomGrid_, kCellsX, kCellsZ, w, FarPlane - 3900, -w / 2, 0, -FarPlane,
           static_cast<float>(14.0 * view.Right), 3.5f);
  MakeLayers(bottomGrid_, BottomColor, bottomLightGrid_, bottomFogLayer_, BottomAlpha, "BottomAlpha");

  surfaceGrid_ = primitives->Add();
  MakeGrid(*surfaceGrid_, kCellsX, kCellsZ, w, FarPlane - 6000, -w / 2, 0, -FarPlane, 2.0f, 1.0f);
  surfaceGrid_->RotateZ(180);  // face down
  surfaceGrid_->CalcNormals();
  surfaceGrid_->MultiTexture = true;
  surfaceLightGrid_ = primitives->Add();
  MakeGrid(*surfaceLightGrid_, kCellsX, kCellsZ, w, FarPlane - 6000, -w / 2, 0, -FarPlane, 4.0f, 1.0f);
  surfaceLightGrid_->RotateZ(180);
  MakeLayers(surfaceGrid_, UpColor, surfaceLightGrid_, surfaceFogLayer_, UpAlpha, "UpAlpha");
  const TGLTexCoord* coords = surfaceLightGrid_->TexCoords[0].Items();
  surfaceLightCoords_.assign(coords, coords + surfaceLightGrid_->TexCoords[0].Count());
  surfaceGrid_->TexCoords[1].SetCount(int(surfaceLightCoords_.size()));
  std::copy(surfaceLightCoords_.begin(), surfaceLightCoords_.end(), surfaceGrid_->TexCoords[1].Items());
  scrollU_ = scrollV_ = 0;
  surfaceFogCoords_ = FogCoordinates(surfaceFogLayer_);
  bottomFogCoords_ = FogCoordinates(bottomFogLayer_);

  BuildBackdrop(w);
  BuildLightShafts(w);
}

void TUnderWater::MakeLayers(TGLPrimitive* grid, TGLColorBytes colour, TGLPrimitive*& lightLayer,
                             TGLPrimitive*& fogLayer, float alpha, const char* alphaKey) {
  const double opacity = std::nearbyint(255.0 * double(alpha));
  if (!(opacity >= 0 && opacity <= 255))
    RaiseError("TUnderWater", "MakeLayers",
               Format("%s %s is out of range 0..1 in water %s", alphaKey, SceneFloatToStr(alpha).c_str(),
                      Name().c_str()));
  if (!lightLayer) grid->AssignTo(lightLayer);
  lightLayer->Colors.SetCount(1);
  lightLayer->Colors.SetColorBytes(0, 255, 255, 255, static_cast<uint8_t>(opacity));

  grid->AssignTo(fogLayer);
  // One colour per vertex. Shading fills them all unless the fog distances
  // meet; then the layer stays transparent rather than keep whatever the
  // new memory held.
  const int n = fogLayer->Vertices.Count();
  fogLayer->Colors.SetCount(n);
  for (int i = 0; i < n; ++i) fogLayer->Colors.Items()[i] = TGLColorBytes{0, 0, 0, 0};
  ShadeByDepth(ToFloats(colour, 0), ToFloats(colour, 1), -FogStart, -FogEnd, *fogLayer);
}

void TUnderWater::BuildBackdrop(float w) {
  backdrop_ = OpenGL()->Primitives()->Add();
  backdrop_->Mode = GL_TRIANGLES;
  const float z = -FarPlane;
  const float vertices[] = {-w / 2, UpY, z, -w / 2, BottomY, z, w / 2, BottomY, z, w / 2, UpY, z};
  backdrop_->Vertices.LoadFromArray(vertices);
  backdrop_->Colors.SetCount(4);
  for (int i = 0; i < 4; ++i) backdrop_->Colors.Items()[i] = (i == 0 || i == 3) ? UpColor : BottomColor;
  const float coords[] = {0, 0, 0, 1, 1, 1, 1, 0};
  backdrop_->TexCoords[0].LoadFromArray(coords);
  const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
  backdrop_->Indices.LoadFromArray(indices);
  backdrop_->Normals.SetCount(1);
  backdrop_->Normals.SetVector(0, 0, 1, 0);
}

void TUnderWater::BuildLightShafts(float w) {
  lightShafts_ = OpenGL()->Primitives()->Add();
  lightShafts_->Mode = GL_TRIANGLES;
  const float zA = 3000 - FarPlane, zB = 6000 - FarPlane;
  const float zC = zA + 0.1f * (zB - zA), yC = 0.9f * UpY + 0.1f * BottomY;
  const float vertices[] = {-w / 2, UpY,     zA, -w / 2, BottomY, zB, w / 2, BottomY, zB,
                            w / 2,  UpY,     zA, -w / 2, yC,      zC, w / 2, yC,      zC};
  lightShafts_->Vertices.LoadFromArray(vertices);
  const uint8_t alphas[] = {0, 0, 0, 0, 80, 80};
  lightShafts_->Colors.SetCount(6);
  for (int i = 0; i < 6; ++i) lightShafts_->Colors.Items()[i] = TGLColorBytes{255, 255, 255, alphas[i]};
  const float coords[] = {0, 0, 0, 1, 1, 1, 1, 0, 0, 0.1f, 1, 0.1f};
  lightShafts_->TexCoords[0].LoadFromArray(coords);
  const uint16_t indices[] = {0, 4, 5, 0, 5, 3, 4, 1, 2, 4, 2, 5};
  lightShafts_->Indices.LoadFromArray(indices);
  lightShafts_->Normals.SetCount(1);
  lightShafts_->Normals.SetVector(0, 0, 1, 0);
}

void TUnderWater::ApplyRelief() {
  if (!bottomGrid_) return;
  TGLVector* grid = bottomGrid_->Vertices.Items();
  const int n = bottomGrid_->Vertices.Count();
  const int layerCount = bottomFogLayer_ ? bottomFogLayer_->Vertices.Count() : 0;
  TGLVector* layer = bottomFogLayer_ ? bottomFogLayer_->Vertices.Items() : nullptr;
  for (int i = 0; i < n; ++i) {
    float y = 0;
    if (!Flat) {
      if (grid[i].z == -FarPlane) continue;  // the far row meets the backdrop
      y = static_cast<float>(650 * std::sin((i % 7) * kPi / 2) - 300 * std::cos(i * kPi / 5));
    }
    grid[i].y = y;
    if (i < layerCount) layer[i].y = y;
  }
  if (Flat)
    for (int i = n; i < layerCount; ++i) layer[i].y = 0;
  FlatApplied = Flat;
}

// --- animation -----------------------------------------------------------------------

void TUnderWater::Animate(float deltaTime) {
  const double dt = std::isfinite(deltaTime) ? deltaTime : 0.0;

  // The surface light map drifts: u by -0.02, v by +0.05 per second.
  if (surfaceLightGrid_ && surfaceLightGrid_->TexCoords[0].Count() == int(surfaceLightCoords_.size())) {
    scrollU_ = Wrapped(scrollU_ - 0.02 * dt, 1.0);
    scrollV_ = Wrapped(scrollV_ + 0.05 * dt, 1.0);
    TGLTexCoord* coord = surfaceLightGrid_->TexCoords[0].Items();
    for (size_t k = 0; k < surfaceLightCoords_.size(); ++k)
      coord[k] = {surfaceLightCoords_[k].s + float(scrollU_), surfaceLightCoords_[k].t + float(scrollV_)};
    if (surfaceGrid_ && surfaceGrid_->TexCoords[1].Count() == int(surfaceLightCoords_.size()))
      std::copy(coord, coord + surfaceLightCoords_.size(), surfaceGrid_->TexCoords[1].Items());
  }

  // Waves on the surface and its light layer; the far row stays.
  WavePhase = WrappedPhase(WavePhase + 1.5 * dt, 2 * kPi);
  if (surfaceLightGrid_) {
    TGLVector* light = surfaceLightGrid_->Vertices.Items();
    const int n = surfaceLightGrid_->Vertices.Count();
    const int surfaceCount = surfaceGrid_ ? surfaceGrid_->Vertices.Count() : 0;
    TGLVector* surface = surfaceGrid_ ? surfaceGrid_->Vertices.Items() : nullptr;
    for (int i = 0; i < n; ++i) {
      if (light[i].z == -FarPlane) continue;
      const float y =
          static_cast<float>(150 * std::sin((i % 7) * kPi / 2 + WavePhase) - 100 * std::cos(i * kPi / 5 + WavePhase));
      light[i].y = y;
      if (i < surfaceCount) surface[i].y = y;
    }
  }

  // The caustic light moves on (the light shafts' texture with it).
  CausticPhase = AdvanceCausticPhase(CausticPhase, dt);
}

// --- drawing -------------------------------------------------------------------------

void TUnderWater::RenderOpaque() {
  TCustomOpenGL* gl = OpenGL();
  if (!gl || !gl->Active() || !backdrop_) return;  // nothing to draw on, or not built
  TPassTimes* times = MainScene() ? MainScene()->PassTimes() : nullptr;
  auto timed = [this, times](const char* layer) {
    if (times) times->Pass(layer, Name().c_str());
  };
  if (HasUpTexture) RenderSurface(*gl);
  timed("surface");
  if (!(LeftOut & wlBackdrop)) RenderBackdrop(*gl);
  timed("backdrop");
  if (HasBottomTexture) RenderBottom(*gl);
  timed("bottom");
  if (UseLights && !(LeftOut & wlLightRays)) RenderLightShafts(*gl);
  timed("light-rays");
  if (UseBackground && Background && !(LeftOut & wlBackground)) RenderBackgroundObject(*gl);
  timed("background");
}

bool TUnderWater::SurfaceLightMerged() const {
  TCustomOpenGL* gl = OpenGL();
  return UpAlpha > 0 && UpLightMap && UpLightMap->Format == tfTexture && !(LeftOut & (wlSurface | wlSurfaceLight)) &&
         surfaceLightGrid_ && surfaceLightGrid_->Colors.Count() == 1 && gl && gl->Textures()->MultitextureEnabled &&
         gl->Textures()->MaxTextureUnits >= 2 && GL.glActiveTextureARB && ExtensionSupported("GL_ARB_texture_env_combine");
}

bool TUnderWater::FogByCoordinates() const { return EmulateDepth && GL.glFogCoordPointerEXT; }

void TUnderWater::SetupFog(TCustomOpenGL& gl, TGLColorBytes colour) {
  const bool byCoordinates = FogByCoordinates();
  if (EmulateDepth && (!byCoordinates || (LeftOut & wlFogLayers))) {
    gl.SetFog(false);
    return;
  }
  gl.SetFog(true);
  GL.glFogi(GL_FOG_MODE, GL_LINEAR);
  GL.glHint(GL_FOG_HINT, GL_DONT_CARE);
  // A coordinate c leaves (1 - c) of the plane and blends c of its colour
  // in, as the fog layer of alpha c drawn over it did.
  GL.glFogi(GL_FOG_COORDINATE_SOURCE_EXT, byCoordinates ? GL_FOG_COORDINATE_EXT : GL_FRAGMENT_DEPTH_EXT);
  GL.glFogf(GL_FOG_START, byCoordinates ? 0.0f : FogStart);
  GL.glFogf(GL_FOG_END, byCoordinates ? 1.0f : FogEnd);
  const TGLColor c = ToFloats(colour, colour.a / 255.0f);
  GL.glFogfv(GL_FOG_COLOR, &c.r);
}

void TUnderWater::EndFog(TCustomOpenGL& gl) {
  gl.SetFog(false);
  if (FogByCoordinates()) GL.glFogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FRAGMENT_DEPTH_EXT);
}

void TUnderWater::DrawPlane(TGLPrimitive* plane, float y, const std::vector<float>& fogCoords) {
  const bool coordinates =
      FogByCoordinates() && !(LeftOut & wlFogLayers) && int(fogCoords.size()) == plane->Vertices.Count();
  if (coordinates) {
    GL.glEnableClientState(GL_FOG_COORDINATE_ARRAY_EXT);
    GL.glFogCoordPointerEXT(GL_FLOAT, 0, fogCoords.data());
  }
  DrawAt(plane, y);
  if (coordinates) GL.glDisableClientState(GL_FOG_COORDINATE_ARRAY_EXT);
}

void TUnderWater::RenderSurface(TCustomOpenGL& gl) {
  gl.SetTexture2D(true);
  gl.SetDepthTest(false);
  SetBlending(false);
  SetupFog(gl, UpColor);
  SetLighting(false);
  UseTexture(gl, UpTexture);
  const bool merged = SurfaceLightMerged();
  if (merged) {
    // Unit 1: the light map over what unit 0 gave, weighted by the light
    // layer's opacity, as blending the layer over the surface did.
    UpLightMap->UseOnUnit(1, GL_COMBINE_ARB);
    // Its own coordinates: the caustic passes leave generation on there.
    GL.glDisable(GL_TEXTURE_GEN_S);
    GL.glDisable(GL_TEXTURE_GEN_T);
    GL.glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_INTERPOLATE_ARB);
    GL.glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_TEXTURE);
    GL.glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, GL_SRC_COLOR);
    GL.glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_PREVIOUS_ARB);
    GL.glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_COLOR);
    GL.glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB_ARB, GL_CONSTANT_ARB);
    GL.glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB_ARB, GL_SRC_ALPHA);
    GL.glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA_ARB, GL_REPLACE);
    GL.glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA_ARB, GL_PREVIOUS_ARB);
    GL.glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA_ARB, GL_SRC_ALPHA);
    const GLfloat weight[4] = {1, 1, 1, float(surfaceLightGrid_->Colors.Items()[0].a) / 255.0f};
    GL.glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, weight);
    GL.glActiveTextureARB(GL_TEXTURE0_ARB);
  }
  if (!(LeftOut & wlSurface)) DrawPlane(surfaceGrid_, UpY, surfaceFogCoords_);
  if (merged) {
    UpLightMap->DisableOnUnit(1);
    GL.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    GL.glActiveTextureARB(GL_TEXTURE0_ARB);
  }
  SetBlending(true);
  UseTexture(gl, UpLightMap);
  if (!merged && UpAlpha > 0 && !(LeftOut & wlSurfaceLight))
    DrawPlane(surfaceLightGrid_, UpY, surfaceFogCoords_);
  EndFog(gl);
  TextureOff(gl);
  if (EmulateDepth && !FogByCoordinates() && !(LeftOut & wlFogLayers)) DrawAt(surfaceFogLayer_, UpY);
  gl.SetDepthTest(true);
}

void TUnderWater::RenderBackdrop(TCustomOpenGL& gl) {
  SetLighting(false);
  TextureOff(gl);
  gl.SetDepthTest(false);
  SetBlending(false);
  gl.SetFog(false);
  backdrop_->Render();
  gl.SetDepthTest(true);
}

void TUnderWater::RenderBottom(TCustomOpenGL& gl) {
  if (Flat != FlatApplied) ApplyRelief();
  BeginCaustics();
  SetLighting(false);
  gl.SetTexture2D(true);
  gl.SetDepthTest(false);
  SetBlending(false);
  SetupFog(gl, BottomColor);
  UseTexture(gl, BottomTexture);
  if (!(LeftOut & wlBottom)) DrawPlane(bottomGrid_, BottomY, bottomFogCoords_);
  SetBlending(true);
  EndCaustics();
  EndFog(gl);
  if (EmulateDepth && !FogByCoordinates() && !(LeftOut & wlFogLayers)) {
    TextureOff(gl);
    DrawAt(bottomFogLayer_, BottomY);
  }
  gl.SetDepthTest(true);
}

void TUnderWater::RenderLightShafts(TCustomOpenGL& gl) {
  SetLighting(false);
  gl.SetDepthTest(false);
  gl.SetFog(false);
  SetBlending(true);
  UseTexture(gl, LightTexture);
  const double phase = CausticPhase;
  const GLfloat planeS[4] = {0.0002f, 0, 0, static_cast<GLfloat>(0.15 * phase)};
  const GLfloat planeT[4] = {0, 0.000004f, 0, static_cast<GLfloat>(0.25 * phase)};
  SetTexGen(GL_S, GL_EYE_LINEAR, GL_EYE_PLANE, planeS);
  SetTexGen(GL_T, GL_EYE_LINEAR, GL_EYE_PLANE, planeT);
  GL.glEnable(GL_TEXTURE_GEN_S);
  GL.glEnable(GL_TEXTURE_GEN_T);
  GLdouble fromTop[4], fromBottom[4];
  const bool clipped = ShaftClipPlanes(*lightShafts_, fromTop, fromBottom);
  if (clipped) {
    GL.glClipPlane(GL_CLIP_PLANE0, fromTop);
    GL.glClipPlane(GL_CLIP_PLANE1, fromBottom);
    GL.glEnable(GL_CLIP_PLANE0);
    GL.glEnable(GL_CLIP_PLANE1);
  }
  lightShafts_->Render();
  if (clipped) {
    GL.glDisable(GL_CLIP_PLANE0);
    GL.glDisable(GL_CLIP_PLANE1);
  }
  GL.glDisable(GL_TEXTURE_GEN_S);
  GL.glDisable(GL_TEXTURE_GEN_T);
  gl.SetDepthTest(true);
}

void TUnderWater::RenderBackgroundObject(TCustomOpenGL& gl) {
  BeginCaustics();
  SetLighting(false);
  gl.SetFog(false);
  SetBlending(true);
  GL.glAlphaFunc(GL_GREATER, 0.35f);
  gl.SetDepthTest(true);
  GL.glPushMatrix();
  if (BackgroundMode == 1) {
    GL.glTranslatef(-kBackgroundCopySpacing, 0, 0);
    Background->RenderTransparent();
    GL.glTranslatef(kBackgroundCopySpacing, 0, 0);
    Background->RenderTransparent();
    GL.glTranslatef(kBackgroundCopySpacing, 0, 0);
    Background->RenderTransparent();
  } else {
    // One picture over the monitors: narrowed to the view's aspect, two
    // halves.
    const double aspect = Application() ? ViewAspect(Application()->Viewport()) : 4.0 / 3.0;
    GL.glScalef(static_cast<GLfloat>(0.4 * 0.914 * aspect), 1, 1);
    GL.glTranslatef(-kSpanningHalfOffset, 0, 0);
    Background->RenderTransparent();
    GL.glTranslatef(kSpanningHalfStep, 0, 0);
    Background->RenderTransparent();
  }
  GL.glPopMatrix();
  gl.SetDepthTest(true);
  EndCaustics();
  SetBlending(false);
}

// --- caustics ------------------------------------------------------------------------

bool TUnderWater::CausticsOn() const {
  TCustomOpenGL* gl = OpenGL();
  return UseCaustic && !(LeftOut & wlCaustics) && BackgroundLightMap && gl && gl->Textures()->MultitextureEnabled && GL.glActiveTextureARB;
}

void TUnderWater::BeginCaustics() {
  if (!CausticsOn()) return;
  // Bound on its own unit, past the shared cache: the cache speaks for
  // unit 0, where the bottom's and the background's own textures go. Had
  // it taken the map, it would name a texture unit 0 does not hold (and,
  // from none, switch unit 0's texturing on with whatever is bound there).
  BeginCausticPass(*BackgroundLightMap, kWaterCaustics, CausticPhase);
}

void TUnderWater::EndCaustics() {
  if (!CausticsOn()) return;
  EndCausticPass(*BackgroundLightMap);
}

}  // namespace velmora
