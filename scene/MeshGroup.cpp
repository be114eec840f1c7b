#include "scene/MeshGroup.h"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "gl/GLEntryPoints.h"
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

namespace {

// A triangle turned so that its lowest index comes first; the winding is
// kept, so (a, b, c) and its twin (a, c, b) give different keys.
uint64_t WindingKey(uint16_t a, uint16_t b, uint16_t c) {
  if (b < a && b <= c) std::tie(a, b, c) = std::make_tuple(b, c, a);
  else if (c < a && c < b) std::tie(a, b, c) = std::make_tuple(c, a, b);
  return (uint64_t(a) << 32) | (uint64_t(b) << 16) | c;
}

}  // namespace

bool TMeshGroup::FoldTwinFaces() {
  TGLPrimitive& p = *Primitive;
  const int count = p.Indices.Count();
  if (p.Mode != GL_TRIANGLES || count == 0 || count % 3 != 0) return false;
  const uint16_t* idx = p.Indices.Items();
  // Triangles still waiting for their twin, by key.
  std::unordered_map<uint64_t, std::vector<int>> waiting;
  std::vector<bool> second(static_cast<size_t>(count / 3), false);
  int unpaired = 0;
  for (int t = 0; t < count / 3; ++t) {
    const uint16_t a = idx[3 * t], b = idx[3 * t + 1], c = idx[3 * t + 2];
    auto twin = waiting.find(WindingKey(a, c, b));
    if (twin != waiting.end() && !twin->second.empty()) {
      twin->second.pop_back();
      second[static_cast<size_t>(t)] = true;
      --unpaired;
    } else {
      waiting[WindingKey(a, b, c)].push_back(t);
      ++unpaired;
    }
  }
  if (unpaired != 0) return false;
  std::vector<uint16_t> kept;
  kept.reserve(static_cast<size_t>(count / 2));
  for (int t = 0; t < count / 3; ++t)
    if (!second[static_cast<size_t>(t)]) kept.insert(kept.end(), idx + 3 * t, idx + 3 * t + 3);
  p.Indices.SetCount(static_cast<int>(kept.size()));
  std::copy(kept.begin(), kept.end(), p.Indices.Items());
  p.ReleaseList();
  BothSides = true;
  return true;
}

void TMeshGroup::Render() {
  ApplySceneMaterial(MaterialGroup);
  BindSceneTexture(Texture);
  const bool culling = BothSides && GL.glIsEnabled && GL.glIsEnabled(GL_CULL_FACE);
  if (culling) GL.glDisable(GL_CULL_FACE);
  Primitive->Render();
  if (culling) GL.glEnable(GL_CULL_FACE);
}

}  // namespace velmora
