// The body of water around the viewer: a tinted backdrop at the far end of
// the view, a sea bottom and a water surface seen from below (textured
// grids, fogged by OpenGL fog or by vertex-coloured overlays), slanted
// sheets of light rays, and an optional background object lit by moving
// caustics. A scene holds one per water colour; the world shows one and
// hides the others, and each switches its own light with its visibility.
//
// Lifecycle:
//
//   made by the loader -> keys read -> BuildGeometry (needs the scene's
//   application: its context's primitive list and its viewport's frustum)
//   -> made visible or hidden by the world (SetVisible switches Light and
//   the textures' file index) -> every frame Animate (waves, scrolling
//   light map, caustic phases) and, while visible, RenderOpaque -> freed
//   with the scene (FreeGeometry gives the primitives back to the list).
//
// The geometry is built once per reading of the keys and never follows
// later changes of FarPlane, colours, alphas or fog distances. Without a
// bottom texture the planes are fitted to the frustum instead: BottomY and
// UpY become the frustum's lower and upper edges at the FarPlane depth.
//
// Geometry (W = 4 x FarPlane x right / near, every plane's full width):
//   BottomGrid        6 x 4 cells, W x (FarPlane - 3900), from z = -FarPlane,
//                     drawn at y = BottomY; hills raised on first draw
//                     unless Flat
//   SurfaceGrid       6 x 4 cells, W x (FarPlane - 6000), turned face down,
//                     drawn at y = UpY; waves in Animate
//   SurfaceLightGrid  the same, textured with UpLightMap, scrolling; its
//                     coordinates also ride on SurfaceGrid's unit 1, where
//                     the light map (one without alpha) is mixed into the
//                     surface's own pass when the driver combines units
//                     (SurfaceLightMerged), else the grid is blended over
//   BottomLightGrid   copy of BottomGrid, white with BottomAlpha (not drawn)
//   *FogLayer         copies of the grids, transparent before FogStart and
//                     of the plane's colour from FogEnd on (EmulateDepth);
//                     where the driver takes fog coordinates their alphas
//                     fog the plane's own passes instead (the same blend
//                     of the plane and its colour, without a pass of its
//                     own), else the layer is drawn over the plane
//   Backdrop          quad at z = -FarPlane, UpColor above, BottomColor below
//   LightShafts       sheet from the far top to the nearer bottom, brightest
//                     a tenth of the way down; drawn between two clip
//                     planes (ShaftClipPlanes) that cut off its ends where
//                     it is too faint to pass the alpha test
//
// Time: WavePhase grows by 1.5 and CausticPhase by 0.4 per second; both are
// kept wrapped (WavePhase to 0 .. 2 pi, CausticPhase to 0 .. 20, where every
// texture-generation offset it drives is a whole number of texture
// repeats), and the light map's scroll to whole texture repeats, so nothing
// loses precision however long the water runs. A time step that is not a
// finite number counts as 0.
//
// Keys (besides those of TMainObject; each optional, a missing key keeps
// the current value except BackgroundIndex, which falls back to 0):
//   FarPlane FogStart FogEnd=<float>   FogColor=<byte colour>
//   EmulateDepth=<boolean>             UpY BottomY=<float>
//   UpColor BottomColor=<byte colour>  UpAlpha BottomAlpha=<float 0..1>
//   BottomTexture UpTexture=<path>     (HasBottomTexture / HasUpTexture
//                                      := the reference is set)
//   BackgroundIndex=<integer>
//   LightTexture UpLightMap BottomLightMap BackgroundLightMap=<path>
//   Light=<path>                       Background=<path>
// Written back: FarPlane, FogStart, FogEnd, EmulateDepth, FogColor, UpY,
// BottomY, UpColor, BottomColor, UpAlpha, BottomAlpha, BottomTexture,
// UpTexture, LightTexture, UpLightMap, BottomLightMap, BackgroundLightMap,
// Light, BackGround, BackgroundIndex. Texture paths that find no scene
// texture, and Light paths that find no light, read as none.
//
// Errors (the loader adds the file and section):
//   "TUnderWater.BuildGeometry error: Water <N> is not in a scene with a rendering context"
//   "TUnderWater.BuildGeometry error: The planes of water <N> do not fit in
//    floating point (FarPlane F, UpY U, BottomY B)"
//   "ViewSlopes error: The viewport gives no view (field of view F, near depth D)"
//   "TUnderWater.MakeLayers error: UpAlpha <A> is out of range 0..1 in water <N>"
//     (likewise BottomAlpha; raised when 255 x alpha, rounded, leaves 0..255)
#pragma once

#include <cstdint>
#include <vector>

#include "gl/Types.h"
#include "scene/SceneItem.h"

namespace velmora {

class TCustomOpenGL;
class TGLPrimitive;
class TMainLight;
class TSceneTexture;

// The parts of a water's frame, each drawn in a pass of its own; LeftOut
// names those a frame leaves out (a benchmark's way to weigh each).
enum TWaterLayer : uint32_t {
  wlSurface = 1u << 0,       // the surface grid
  wlSurfaceLight = 1u << 1,  // the surface's drifting light map
  wlBackdrop = 1u << 2,      // the far plane in the water's colours
  wlBottom = 1u << 3,        // the sea bottom
  wlLightRays = 1u << 4,     // the light shafts
  wlBackground = 1u << 5,    // the background object (the reef)
  wlCaustics = 1u << 6,      // the caustic light on the bottom and the background
  wlFogLayers = 1u << 7,     // the fog layers of EmulateDepth
};

// The light sheet fades from its brightest row (vertices 4, 5) to nothing
// at its top edge (0, 3) and its bottom edge (1, 2), and the blended pass's
// alpha test drops every pixel not above kBlendAlphaReference. The two
// planes (object coordinates, the kept side positive) cut the sheet across
// where its alpha is the largest byte value below that reference: colours
// interpolate linearly along the sheet in space, so every pixel that passes
// the test is drawn as before, and the renderer fills only what can show.
// False, and no planes, for a sheet of another shape or brightness.
bool ShaftClipPlanes(const TGLPrimitive& sheet, double keepFromTop[4], double keepFromBottom[4]);

class TUnderWater : public TMainSceneObject {
 public:
  TUnderWater() = default;
  // FreeGeometry.
  ~TUnderWater() override;

  const char* ClassName() const override { return "TUnderWater"; }

  float UpY = 0;
  float FogStart = 0;
  float FogEnd = 0;
  float BottomY = 0;
  // The backdrop stands at z = -FarPlane.
  float FarPlane = 0;
  // Read and written back; not drawn.
  TGLColorBytes FogColor{0, 0, 0, 0};
  TGLColorBytes BottomColor{0, 0, 0, 0};
  TGLColorBytes UpColor{0, 0, 0, 0};
  // 0 or less hides the surface light layer.
  float UpAlpha = 0;
  float BottomAlpha = 0;

  // The primitives, owned (nullptr until built); they live in the list of
  // the context's primitives.
  TGLPrimitive* SurfaceGrid() const { return surfaceGrid_; }
  TGLPrimitive* BottomGrid() const { return bottomGrid_; }
  TGLPrimitive* SurfaceLightGrid() const { return surfaceLightGrid_; }
  TGLPrimitive* BottomLightGrid() const { return bottomLightGrid_; }
  TGLPrimitive* SurfaceFogLayer() const { return surfaceFogLayer_; }
  TGLPrimitive* BottomFogLayer() const { return bottomFogLayer_; }
  TGLPrimitive* Backdrop() const { return backdrop_; }
  TGLPrimitive* LightShafts() const { return lightShafts_; }

  // References, not owned.
  TMainItem* Background = nullptr;
  TSceneTexture* UpTexture = nullptr;
  TSceneTexture* BottomTexture = nullptr;
  TSceneTexture* LightTexture = nullptr;
  TSceneTexture* UpLightMap = nullptr;
  TSceneTexture* BottomLightMap = nullptr;  // read and written back; not drawn
  TSceneTexture* BackgroundLightMap = nullptr;
  // Switched on and off with this water's visibility.
  TMainLight* Light = nullptr;

  // Set from outside (the world) as well.
  bool EmulateDepth = false;
  float CausticPhase = 0;
  float WavePhase = 0;
  bool UseLights = true;
  bool UseCaustic = true;
  bool UseBackground = true;
  bool Flat = false;
  // The Flat state the bottom's vertices have now.
  bool FlatApplied = true;
  // 1: one screen; 2: one picture over several monitors.
  int32_t BackgroundMode = 1;
  // The file-list entry the textures show while this water is visible.
  int32_t BackgroundIndex = 0;
  bool HasBottomTexture = true;
  bool HasUpTexture = true;
  // TWaterLayer bits of the parts not drawn; none by default.
  uint32_t LeftOut = 0;

  void SetVisible(bool value) override;
  void Animate(float deltaTime) override;
  // Draws nothing while the context is not active or before the geometry
  // is built.
  void RenderOpaque() override;
  void WriteProperties(TResourceLoader& loader) override;
  void ReadProperties(TResourceLoader& loader) override;

  // The whole geometry for the current keys and the viewport's frustum.
  void BuildGeometry();
  void FreeGeometry();
  // Light layer: a copy of grid (made when the field is empty) in white
  // with alpha; fog layer: a copy of grid shaded by depth from colour with
  // alpha 0 at FogStart to colour with alpha 1 at FogEnd. alphaKey names
  // the alpha in the range error.
  void MakeLayers(TGLPrimitive* grid, TGLColorBytes colour, TGLPrimitive*& lightLayer, TGLPrimitive*& fogLayer,
                  float alpha, const char* alphaKey);
  // The bottom and its fog layer flat (Flat) or with hills; FlatApplied
  // := Flat.
  void ApplyRelief();
  // Whether the surface's light map is mixed into the surface's own pass
  // on unit 1 (texture combiners, a light map without alpha, UpAlpha above
  // 0, neither part left out) rather than drawn blended over it.
  bool SurfaceLightMerged() const;
  // EmulateDepth's fog from the fog layers' alphas as fog coordinates
  // (glFogCoordPointerEXT there), rather than the layers drawn over the
  // planes.
  bool FogByCoordinates() const;
  // The caustic light map on texture unit 1 with object-linear texture
  // generation, and back off; only with UseCaustic, a BackgroundLightMap
  // and multitexturing. The map is bound past the shared texture cache,
  // which keeps speaking for unit 0; both leave unit 0 active.
  void BeginCaustics();
  void EndCaustics();

 private:
  bool CausticsOn() const;
  void SetupFog(TCustomOpenGL& gl, TGLColorBytes colour);
  void EndFog(TCustomOpenGL& gl);
  // A plane drawn at y, with its fog coordinates while FogByCoordinates.
  void DrawPlane(TGLPrimitive* plane, float y, const std::vector<float>& fogCoords);
  void RenderSurface(TCustomOpenGL& gl);
  void RenderBackdrop(TCustomOpenGL& gl);
  void RenderBottom(TCustomOpenGL& gl);
  void RenderLightShafts(TCustomOpenGL& gl);
  void RenderBackgroundObject(TCustomOpenGL& gl);
  void BuildBackdrop(float width);
  void BuildLightShafts(float width);

  TGLPrimitive* surfaceGrid_ = nullptr;
  TGLPrimitive* bottomGrid_ = nullptr;
  TGLPrimitive* surfaceLightGrid_ = nullptr;
  TGLPrimitive* bottomLightGrid_ = nullptr;
  TGLPrimitive* surfaceFogLayer_ = nullptr;
  TGLPrimitive* bottomFogLayer_ = nullptr;
  TGLPrimitive* backdrop_ = nullptr;
  TGLPrimitive* lightShafts_ = nullptr;
  // The surface light map's coordinates as built, and how far it has
  // scrolled since (each in 0 .. 1: whole texture repeats dropped).
  std::vector<TGLTexCoord> surfaceLightCoords_;
  // Per vertex of the surface and of the bottom: their fog layer's alpha.
  std::vector<float> surfaceFogCoords_;
  std::vector<float> bottomFogCoords_;
  double scrollU_ = 0;
  double scrollV_ = 0;
};

}  // namespace velmora
