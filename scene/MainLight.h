// A light of the scene: one OpenGL light of the context's light list, or in
// its ambient style the global ambient light, switched on or off every
// frame by Enabled. Lights are normally direct children of the scene with
// "ProcessOptions=[Render]": rendered in file order, a light affects the
// objects rendered after it in the same frame.
//
// Styles and the presets applied when the light object is made (the keys
// then override them):
//   lsParallel       "Parallel"       infinite, from far away along
//                                     Direction; no spot, attenuation 1, 0, 0
//   lsParallelPoint  "ParallelPoint"  infinite; no spot, attenuation 1, 0, 0
//   lsPoint          "Point"          positional; no spot
//   lsDirectional    "Directional"    positional
//   lsAmbient        "Ambient"        no preset: Ambient becomes the global
//                                     ambient light while enabled
// A "LightStyle" value is matched by substring in the order ParallelPoint,
// Parallel, Point, Directional; anything else (and no value) is Ambient.
//
// Lifecycle:
//
//   made -> in a scene: keys read (the light object made with the preset of
//   the current style, remade when "LightStyle" names another) -> every
//   frame Render: Enable when Enabled, else Disable (Visible is ignored) ->
//   freed: its light object goes, handing its light number back.
//
// Enable: the light object takes the lowest free GL_LIGHTn (every number
// taken: it shares GL_LIGHT0), sends its values and is switched on;
// CurrentColor (RenderState.h) becomes its diffuse colour. Ambient style:
// the global ambient light and CurrentColor become its ambient colour.
// Then the light model's two-sided and local-viewer switches are sent with
// TwoSide and LocalViewer (a later light's values win).
// Disable: the light object switched off and its number handed back; an
// ambient light that set the global ambient light puts it back to black.
//
// A light in a scene without a rendering context keeps its values in a
// light object of no list, which switches nothing.
//
// Keys (besides those of TMainRenderState):
//   LightStyle=<text>   see above; written as the style's name
//   Infinite=<boolean>  the light is at infinity
//   Ambient=, Diffuse=, Specular=<float colour>
//   Position=, Direction=<vector>
//   SpotExponent=<float 0..128>   SpotCutoff=<float 0..90, or 180>
//   ConstantAttenuation=, LinearAttenuation=, QuadraticAttenuation=<float >= 0>
//   TwoSide=<boolean> (default false)   LocalViewer=<boolean> (default true)
// Each defaults to the current value; all are written. A spot or
// attenuation value OpenGL would refuse becomes the nearest one it takes
// (a cutoff of 120 is 90, of 150 is 180), with a warning
// (TResourceLoader::NoteAdjustedValue); not a number keeps the current.
//
// Errors:
//   "TMainLight.CreateGLLight error: MainScene is nil!"
#pragma once

#include <cstdint>
#include <string>

#include "scene/MainRenderState.h"

namespace velmora {

class TGLLight;

enum TLightStyle : uint8_t { lsParallel = 0, lsParallelPoint = 1, lsPoint = 2, lsDirectional = 3, lsAmbient = 4 };

TLightStyle StrToLightStyle(const std::string& text);
const char* LightStyleToStr(TLightStyle style);

class TMainLight : public TMainRenderState {
 public:
  ~TMainLight() override;

  const char* ClassName() const override { return "TMainLight"; }

  // Owned; nullptr until the keys are read or the light is first enabled.
  TGLLight* GLLight() const { return glLight_; }
  TLightStyle LightStyle() const { return lightStyle_; }
  // Frees the light object when the style changes; the next CreateGLLight
  // makes one with the new preset.
  void SetLightStyle(TLightStyle style);
  bool TwoSide = false;
  bool LocalViewer = true;

  // Makes the light object with the preset of LightStyle, when there is
  // none.
  void CreateGLLight();

  void Render() override;
  void Enable() override;
  void Disable() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

 private:
  void FreeGLLight();
  void SendLightModel() const;

  TGLLight* glLight_ = nullptr;
  TLightStyle lightStyle_ = lsParallel;
  // This ambient light set the global ambient light and has not put it back.
  bool ambientSet_ = false;
};

}  // namespace velmora
