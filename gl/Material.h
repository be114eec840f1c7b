// OpenGL materials.
//
// A material keeps its values in client memory; each setter raises a bit of
// DirtyMask and Apply sends only the values whose bits are set, to the faces
// FrontFace and BackFace name. Scene materials call MarkAllDirty when they
// become current, since another material may have been sent in between.
#pragma once

#include <cstdint>

#include <GL/gl.h>

#include "gl/ItemList.h"
#include "gl/Types.h"

namespace velmora {

class TGLMaterialList;

class TGLMaterial : public TGLItem {
 public:
  enum : int32_t {
    mdAmbient = 0x1,
    mdDiffuse = 0x2,
    mdSpecular = 0x8,
    mdEmission = 0x10,
    mdShininess = 0x20,
    mdColors = 0x3B,  // every colour and the shininess: what a change of faces must send again
    mdAll = 0x7FFFFFFF,
  };

  explicit TGLMaterial(TGLMaterialList* list);

  const TGLColor& Ambient() const { return ambient_; }
  const TGLColor& Diffuse() const { return diffuse_; }
  const TGLColor& Specular() const { return specular_; }
  const TGLColor& Emission() const { return emission_; }
  float Shininess() const { return shininess_; }
  bool BackFace() const { return backFace_; }
  bool FrontFace() const { return frontFace_; }
  int32_t DirtyMask() const { return dirtyMask_; }

  void SetAmbient(const TGLColor& c);
  void SetDiffuse(const TGLColor& c);
  void SetSpecular(const TGLColor& c);
  void SetEmission(const TGLColor& c);
  void SetShininess(float v);
  void SetBackFace(bool v);
  void SetFrontFace(bool v);

  // GL_FRONT_AND_BACK, GL_FRONT or GL_BACK from the two face switches.
  GLenum Face() const;
  // Sends the dirty values while the context is active, then clears the
  // mask; without a context the mask waits for the next Apply.
  void Apply();
  void MarkAllDirty();

 private:
  TGLColor ambient_{0.2f, 0.2f, 0.2f, 1};
  TGLColor diffuse_{0.8f, 0.8f, 0.8f, 1};
  TGLColor specular_{0, 0, 0, 0};
  TGLColor emission_{0, 0, 0, 0};
  float shininess_ = 0;
  // A new material has sent nothing yet.
  int32_t dirtyMask_ = mdColors;
  bool backFace_ = false;
  bool frontFace_ = true;
};

class TGLMaterialList : public TGLItemList {
 public:
  explicit TGLMaterialList(TCustomOpenGL* owner, bool separateSpecular = true)
      : TGLItemList(owner), SeparateSpecular(separateSpecular) {}
  ~TGLMaterialList() override;

  TGLMaterial* Add();
  TGLMaterial* Items(int index) const { return ItemsAs<TGLMaterial>(index); }

  // Ask for the specular term to be added after texturing (and for a local
  // viewer) in every new context.
  bool SeparateSpecular;
  // The driver lists "EXT_separate_specular_color"; read by InitGL.
  bool HasSeparateSpecular() const { return hasSeparateSpecular_; }

  void InitGL() override;

 private:
  bool hasSeparateSpecular_ = false;
};

}  // namespace velmora
