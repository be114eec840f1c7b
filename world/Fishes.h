// One species of the fish school: a particle list whose particles swim
// across the visible part of the water, each drawing the list's mesh.
//
// A TFishes list of type "Fish" (and "StarFish", "JellyFish") spawns TFish
// particles on straight paths from the left edge of the view to its right
// edge (or back), in one of three depth bands; inside a TFishRender each
// fish also takes a depth slot there, which keeps fish at nearly the same
// depth apart in height (FishRender.h). A list of type "Plankton" spawns
// TPlankton particles that cross the view sideways at a slow speed,
// tumbling and drifting up and down at random.
//
// Lifecycle:
//
//   made by the loader -> keys read (MeshDirty set; then ParticleCount
//   makes the particles, limited to MaxCount) -> next Animate: each
//   particle spawns (SpawnFish / SpawnPlankton; a fish that finds no depth
//   slot is parked behind the viewer and tries again the next frame) ->
//   moved every frame (plankton wander) -> respawned when its life is over
//   -> first drawing of a "Fish" list: the mesh gets its ten swimming
//   frames (SwimFrames.h) -> a lower count frees the newest particles and
//   their slots -> freed with the render (slots given up first).
//
// A fish's path (SpawnFish), in the view's coordinates (camera C, the
// frustum's right and top slopes sR and sT per unit of depth):
//   band   MaxZ = MinZ: theta 0, z -MaxZ. Otherwise k = random x MaxCount
//          rounded (19 when FarBandStart > MaxZ): k < 20 near (theta -15
//          degrees, z from -MinZ to -NearBandEnd), k < 50 middle (theta 0,
//          z from -MidBandStart to -(FarBandStart - ZGap)), else far
//          (theta 0, z from -(ZGap + FarBandStart) to -(ZGap + MaxZ),
//          upper half of the heights only)
//   height y from BottomY to UpY, kept within +-(|z - C.z| sT + C.y)
//   path   from the left edge (C.x - |z - C.z| sR, y, z) along
//          d = (cos theta, 0, sin theta) to where it meets the right edge,
//          both ends pushed out by HalfLength; TrackZ is the start's depth
//   life   speed v from MinSpeed to MaxSpeed; LifeTime = path length in x
//          / (v d.x); "Right": from the start, yaw -theta; "Left": from the
//          end, yaw 180 - theta, velocity reversed; "Both": either
// A -15 degree path that cannot meet the right edge ahead of its start (a
// field of view of about 140 degrees or more, where that edge runs
// parallel to or away from the path) runs straight across instead (theta
// 0). A viewport that gives no view (field of view 0 or 180 degrees and
// more) is taken as the default one (75 degrees, 4:3). A path whose numbers
// do not fit in floating point parks the fish like a refused slot.
//
// Plankton (SpawnPlankton): depth from -MinZ to -MaxZ, height within the
// view at that depth and within BottomY .. UpY, across the view's width
// (pushed out by HalfLength) one way or the other at a speed from MinSpeed
// to MaxSpeed, spinning (72, 144, 36) degrees per second; WanderPlankton
// picks a new vertical speed up to the speed range, in either direction,
// at random moments less than a second apart.
//
// Keys (besides those of TSceneParticleList; read before them, so that
// ParticleCount meets MaxCount and the right particle class):
//   MaxZ MinZ UpY BottomY MaxSpeed MinSpeed=<float>   default current
//   MaxCount=<integer>                                default current
//   FishType=Fish|Plankton|StarFish|JellyFish         any other text: Fish
// Written back after the base keys in the same order. A FishType that
// changes while the list has particles frees them first.
//
// Errors (the loader adds the file and section):
//   "TFishes.ReadProperties error: MinSpeed <v> is not above 0"
//   "TFishes.ReadProperties error: MaxSpeed <v> is not above 0"
//     (a speed of 0 or below would give endless or negative lifetimes)
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "gl/Types.h"
#include "scene/Particles.h"

namespace velmora {

class TFishRender;
class TSceneMesh;

// What a list draws and how it swims.
enum TFishType : uint8_t {
  ftFish = 0,
  ftPlankton = 1,
  ftStarFish = 2,
  ftJellyFish = 3,
};

// "Fish", "Plankton", "StarFish", "JellyFish"; any other text: ftFish.
TFishType StrToFishType(std::string_view text);
const char* FishTypeToStr(TFishType type);

class TFish : public TSceneParticle {
 public:
  const char* ClassName() const override { return "TFish"; }

  // Depth of the start of the current path; decides the depth slot.
  float TrackZ = 0;
};

class TPlankton : public TSceneParticle {
 public:
  const char* ClassName() const override { return "TPlankton"; }

  // The age at which the vertical drift changes next.
  float NextTurn = 0;
};

// What a spawn sees of the view: the frustum's half width and half height
// per unit of depth, and the camera's position.
struct TFishView {
  double SlopeRight = 0;
  double SlopeTop = 0;
  TGLVector Camera{0, 0, 0};
};

// Where a parked fish waits (behind the viewer) for its next try.
constexpr TGLVector kParkedFishPosition{-5000, 0, 5000};

class TFishes : public TSceneParticleList {
 public:
  TFishes() = default;
  // Gives up every depth slot its fish hold.
  ~TFishes() override;

  const char* ClassName() const override { return "TFishes"; }

  // Farthest and nearest distance of a path (positive, in front of the
  // viewer).
  float MaxZ = 0;
  float MinZ = 0;
  // Highest and lowest height.
  float UpY = 0;
  float BottomY = 0;
  // Units per second.
  float MaxSpeed = 0;
  float MinSpeed = 0;
  // Upper bound of the particle count; also the range of the band draw.
  int32_t MaxCount = 0;
  // Half the mesh's x extent plus 100 (MeasureMesh).
  float HalfLength = 0;
  // Measure the mesh before the next spawn.
  bool MeshDirty = false;
  TFishType FishType = ftFish;

  // The list's render: its Owner when that is a TFishRender.
  TFishRender* Renderer() const;
  // The list's Visual when it is a mesh.
  TSceneMesh* Mesh() const;
  // The view spawns are fitted to (see above).
  TFishView FishView() const;

  // A TPlankton for "Plankton" lists, a TFish otherwise.
  std::unique_ptr<TSceneParticle> CreateParticle() override;
  // Plankton: SpawnPlankton. Fish: SpawnFish, then a depth slot in the
  // render (when the list has one); without a slot the fish is parked at
  // kParkedFishPosition, still, with Age 1 and LifeTime 0, so that it
  // spawns again on the next frame.
  void InitParticle(TSceneParticle* particle) override;
  // The base move; plankton then WanderPlankton.
  void MoveParticle(TSceneParticle* particle, float deltaTime) override;
  // n limited to MaxCount; the particles that go give up their slots.
  void SetParticleCount(int n) override;
  // The particles that go give up their slots first.
  void DeleteItems(int n) override;
  void Clear() override;

  // Plankton: culling off, the mesh built, culling on; nothing drawn.
  // Fish: MakeSwimFrames, then every particle with the mesh. Other types:
  // every particle. Nothing without an active rendering context.
  void RenderOpaque() override;
  // Plankton: culling and depth test off around every particle with the
  // mesh. Fish: MakeSwimFrames, then every particle. Other types: every
  // particle.
  void RenderTransparent() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

  // A new path for a fish of any type but plankton (see above); TrackZ is
  // set for a TFish. False when the path did not fit in floating point and
  // the fish was parked instead.
  bool SpawnFish(TSceneParticle* fish);
  // The same for plankton.
  bool SpawnPlankton(TPlankton* plankton);
  void WanderPlankton(TPlankton* plankton);
  // HalfLength from the x extent of the mesh's vertices (100 without any).
  void MeasureMesh();
  // Fish lists: the mesh's ten swimming frames, once (SwimFrames.h).
  void MakeSwimFrames();

 private:
  // Takes the particles from index first on out of the render's slots.
  void ReleaseSlots(int first);
  // Parks a fish that got no slot or no usable path; it gives up its
  // slot.
  void Park(TSceneParticle* fish);
};

}  // namespace velmora
