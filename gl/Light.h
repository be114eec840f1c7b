// OpenGL lights and the pool of light numbers.
//
// A light keeps its values in client memory for the whole run and across
// rendering contexts. Every setter raises a bit of DirtyMask, and Apply
// sends the light only when some bit is set; enabling a light takes the
// lowest free GL_LIGHTn from its list and sends everything again. When every
// number is taken a light shares GL_LIGHT0 (the driver has no more).
#pragma once

#include <cstdint>

#include "gl/ItemList.h"
#include "gl/Types.h"

namespace velmora {

class TGLLightList;

class TGLLight : public TGLItem {
 public:
  // Dirty bits of the setters.
  enum : int32_t {
    ldAmbient = 0x1,
    ldDiffuse = 0x2,
    ldSpecular = 0x8,
    ldDirectional = 0x40,
    ldPosition = 0x80,
    ldSpotDirection = 0x100,
    ldSpotExponent = 0x200,
    ldSpotCutoff = 0x400,
    ldConstantAttenuation = 0x800,
    ldLinearAttenuation = 0x1000,
    ldQuadraticAttenuation = 0x2000,
    ldSwitch2 = 0x4000,
    ldSwitch1 = 0x8000,
    ldAll = 0x7FFFFFFF,
  };

  explicit TGLLight(TGLLightList* list);
  // Hands its light number back to the pool.
  ~TGLLight() override;

  const TGLColor& Ambient() const { return ambient_; }
  const TGLColor& Diffuse() const { return diffuse_; }
  const TGLColor& Specular() const { return specular_; }
  const TGLVector& Position() const { return position_; }
  const TGLVector& SpotDirection() const { return spotDirection_; }
  float SpotExponent() const { return spotExponent_; }
  float SpotCutoff() const { return spotCutoff_; }
  float ConstantAttenuation() const { return constantAttenuation_; }
  float LinearAttenuation() const { return linearAttenuation_; }
  float QuadraticAttenuation() const { return quadraticAttenuation_; }
  bool Directional() const { return directional_; }
  // Two switches that are kept for their callers; Apply does not use them.
  bool Switch1() const { return switch1_; }
  bool Switch2() const { return switch2_; }

  void SetAmbient(const TGLColor& c);
  void SetDiffuse(const TGLColor& c);
  void SetSpecular(const TGLColor& c);
  void SetPosition(const TGLVector& v);
  void SetSpotDirection(const TGLVector& v);
  void SetSpotExponent(float v);
  void SetSpotCutoff(float v);
  void SetConstantAttenuation(float v);
  void SetLinearAttenuation(float v);
  void SetQuadraticAttenuation(float v);
  void SetIsDirectional(bool v);
  void SetSwitch1(bool v);
  void SetSwitch2(bool v);

  bool Enabled() const { return enabled_; }
  // The n of GL_LIGHTn while enabled.
  int LightIndex() const { return lightIndex_; }
  int32_t DirtyMask() const { return dirtyMask_; }

  // Only while the context is active. Enable takes a light number when the
  // light is not yet enabled, sends everything and switches GL_LIGHTn on.
  void Enable();
  void Disable();
  // Sends every value when any bit is dirty and the context is active, then
  // clears the mask. Positions are taken as eye coordinates.
  void Apply();
  void MarkAllDirty();

  // Presets.
  void SetPositional();         // Directional := false
  void SetDirectional();        // a light from far away along SpotDirection, no spot, no attenuation
  void SetDirectionalReset();   // Directional, no spot, no attenuation
  void SetPositionalReset();    // positional, no spot

 private:
  friend class TGLLightList;
  TGLLightList* Lights() const;
  bool ContextActive() const;

  TGLColor ambient_{0, 0, 0, 1};
  TGLColor diffuse_{1, 1, 1, 1};
  TGLColor specular_{1, 1, 1, 1};
  TGLVector position_{0, 0, 0};
  TGLVector spotDirection_{-1, -1, -1};
  float spotExponent_ = 0;
  float spotCutoff_ = 180;
  float constantAttenuation_ = 1;
  float linearAttenuation_ = 0;
  float quadraticAttenuation_ = 0;
  bool directional_ = true;
  bool switch1_ = false;
  bool switch2_ = false;
  bool enabled_ = false;
  int lightIndex_ = 0;
  // The light number was taken from the pool (false when it shares
  // GL_LIGHT0 because the pool was exhausted): only a taken number goes back.
  bool ownsIndex_ = false;
  int32_t dirtyMask_ = ldAmbient | ldDiffuse | ldSpecular | ldDirectional | ldPosition | ldSpotDirection |
                       ldSpotExponent | ldSpotCutoff | ldConstantAttenuation | ldLinearAttenuation |
                       ldQuadraticAttenuation | ldSwitch1 | ldSwitch2;
};

class TGLLightList : public TGLItemList {
 public:
  explicit TGLLightList(TCustomOpenGL* owner) : TGLItemList(owner) {}
  ~TGLLightList() override;

  // A new light, appended; its LightIndex is preset to its position.
  TGLLight* Add();
  TGLLight* Items(int index) const { return ItemsAs<TGLLight>(index); }

  // GL_MAX_LIGHTS, read from the driver on the first call and kept; raises
  // the context's GetInt error when that first call finds no active context.
  int MaxLights();
  // The lowest free light number below MaxLights, now taken; 0 without
  // taking anything when all are in use.
  int AllocateLight();
  void ReleaseLight(int index);
  // Bit n set: GL_LIGHTn is taken.
  uint32_t UsedLights() const { return usedLights_; }

  // The global ambient light (GL_LIGHT_MODEL_AMBIENT); sent at once while
  // the context is active.
  const TGLColor& Ambient() const { return ambient_; }
  void SetAmbient(const TGLColor& c);

  // Sets the global ambient light to black for the new context.
  void InitGL() override;

 private:
  int maxLights_ = 0;
  TGLColor ambient_{0, 0, 0, 1};
  uint32_t usedLights_ = 0;
};

}  // namespace velmora
