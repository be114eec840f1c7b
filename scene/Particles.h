// Particle systems: a visual object list whose children are particles made
// in code, aged, moved and respawned every frame; all of them draw the
// list's one shared visual with their own transform.
//
// The list provides the life cycle only. What a new life looks like
// (start position, velocity, lifetime) is decided by a subclass in
// InitParticle; the bubbles and the fish are such subclasses.
//
// Life of a particle:
//
//   made by SetParticleCount (LifeTime 0, Age 1, Fresh: over at once) ->
//   next Animate: InitParticle starts a life; a fresh particle is placed
//   at a random point of it (Age from 1/16 to 15/16 of LifeTime, moved
//   that far at once) so that a new swarm starts spread out ->
//   waiting while Age < 0 -> alive while 0 <= Age <= LifeTime: moved by
//   each time step -> over: InitParticle again -> ... -> freed by a lower
//   count (the newest first) or with the list.
//
// Animate (DeltaTime): the shared visual's Animate (once, when there are
// particles); GravityStep := Gravity x DeltaTime when EnableGravity; then
// each particle in the order it was made: Age += DeltaTime; waiting: no
// more; alive: MoveParticle(DeltaTime); over: InitParticle, and when the
// age is then 0 or more: the fresh spread above, or, for a particle that
// has lived before, MoveParticle(Age) to catch up with its new life.
// A DeltaTime that is negative or not finite counts as 0.
//
// An InitParticle that starts no new life (the default, which is empty, or
// one that leaves Age beyond LifeTime on purpose, like a fish parked until
// the next frame) leaves the particle over its lifetime: it then moves by
// the time step like a living particle, instead of by its whole
// accumulated age each frame (which would throw it away faster and faster,
// without bound), and InitParticle is asked again next frame.
//
// MoveParticle (default): Position += Velocity x t; Angles +=
// AngularVelocity x t; with EnableGravity, Velocity.y -= GravityStep.
//
// Particles are named after the list: the list's Name followed by the
// count before it was added ("Bubbles0", "Bubbles1", ...). The list keeps
// them in the order they were made (SetSorted(false)), does not store them
// in scene descriptions (StoreChildren off), and takes nothing but
// particles as children.
//
// Keys (besides those of TMainVisualObjectList):
//   Gravity=<float>          default current
//   EnableGravity=<boolean>  default current
//   ParticleCount=<integer>  default 0: SetParticleCount with the value
// Written back: "Gravity", "EnableGravity", "ParticleCount" (the count).
//
// Errors:
//   "<class>.ReadProperties error: ParticleCount <n> is outside 0..10000 (file F, section [S], key ParticleCount)"
//   "<class>.AddItem error: <class of the item> is not a particle"
// (<class>: the list's class, TSceneParticleList or the subclass)
#pragma once

#include <cstdint>
#include <memory>

#include "gl/Types.h"
#include "scene/VisualObject.h"

namespace velmora {

// The most particles one list holds; SetParticleCount clamps to it.
constexpr int kMaxParticleCount = 10000;

class TSceneParticle : public TMainVisualObject {
 public:
  const char* ClassName() const override { return "TSceneParticle"; }

  // Seconds since the current life began; below 0: waiting to begin.
  float Age = 0;
  float LifeTime = 0;
  // Units per second.
  TGLVector Velocity{0, 0, 0};
  // Degrees per second, added to Angles.
  TGLVector AngularVelocity{0, 0, 0};
  // Free for subclasses, -1 at creation (the fish keep their depth slot
  // in it).
  int32_t BinIndex = -1;
  // 1-based position in the batch of SetParticleCount that made it.
  int32_t Index = 0;
  // Has not lived yet.
  bool Fresh = true;
};

class TSceneParticleList : public TMainVisualObjectList {
 public:
  TSceneParticleList();

  const char* ClassName() const override { return "TSceneParticleList"; }

  bool EnableGravity = false;
  // Units per second squared, pulling y down.
  float Gravity = 0;
  // Gravity x DeltaTime of the current frame.
  float GravityStep = 0;

  // The particle operations, in their slot order.
  // Starts a new life: position, velocity, LifeTime, Age. Empty here.
  virtual void InitParticle(TSceneParticle* particle);
  virtual void MoveParticle(TSceneParticle* particle, float deltaTime);
  // A new particle of the list's particle class (a plain TSceneParticle).
  virtual std::unique_ptr<TSceneParticle> CreateParticle();
  // Adds particles up to n or frees the newest down to n; n is clamped to
  // 0 .. kMaxParticleCount.
  virtual void SetParticleCount(int n);

  int ParticleCount() const { return GetCount(); }
  // The particle at index, in the order they were made.
  TSceneParticle* Particles(int index) const { return static_cast<TSceneParticle*>(GetItem(index)); }

  // Only particles; anything else raises.
  TMainItem* AddItem(TMainItem* item) override;
  void Animate(float deltaTime) override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
};

}  // namespace velmora
