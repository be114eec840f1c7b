#include "scene/MeshGroup.h"

#include "gl/Primitive.h"
#include "scene/RenderState.h"

namespace velmora {

TMeshGroup::TMeshGroup(TGLPrimitive* primitive) : Primitive(primitive) {}

TMeshGroup::~TMeshGroup() { delete Primitive; }

namespace {

// Both frames exist and have count entries.
bool FramesFit(const TVertexFrameList& frames, int from, int to, int count) {
  const int n = frames.Count();
  if (from < 0 || to < 0 || from >= n || to >= n) return false;
  return frames.Items(from)->Count() == count && frames.Items(to)->Count() == count;
}

}  // namespace

void TMeshGroup::Blend(int from, int to, float fraction, bool withNormals) {
  TGLPrimitive& p = *Primitive;
  if (FramesFit(VertexFrames, from, to, p.Vertices.Count()))
    p.BlendVertices(*VertexFrames.Items(from), *VertexFrames.Items(to), fraction);
  if (withNormals && !p.Normals.Empty() && FramesFit(NormalFrames, from, to, p.Normals.Count()))
    p.BlendNormals(*NormalFrames.Items(from), *NormalFrames.Items(to), fraction);
}

void TMeshGroup::Render() {
  ApplySceneMaterial(MaterialGroup);
  BindSceneTexture(Texture);
  Primitive->Render();
}

}  // namespace velmora
