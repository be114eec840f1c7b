#include "scene/Particles.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/Error.h"
#include "core/Random.h"
#include "scene/ResourceLoader.h"

namespace velmora {

TSceneParticleList::TSceneParticleList() {
  StoreChildren = false;
  SetSorted(false);
}

void TSceneParticleList::InitParticle(TSceneParticle*) {}

void TSceneParticleList::MoveParticle(TSceneParticle* particle, float deltaTime) {
  particle->Position = particle->Position + particle->Velocity * deltaTime;
  particle->Angles = particle->Angles + particle->AngularVelocity * deltaTime;
  if (EnableGravity) particle->Velocity.y -= GravityStep;
}

std::unique_ptr<TSceneParticle> TSceneParticleList::CreateParticle() { return std::make_unique<TSceneParticle>(); }

void TSceneParticleList::SetParticleCount(int n) {
  n = std::clamp(n, 0, kMaxParticleCount);
  const int count = GetCount();
  if (n < count) {
    DeleteItems(count - n);
    return;
  }
  SetCapacity(n);
  for (int k = 1; k <= n - count; ++k) {
    std::unique_ptr<TSceneParticle> particle = CreateParticle();
    if (!particle) break;
    particle->SetName(Name() + std::to_string(GetCount()));
    const int before = GetCount();
    AddItem(particle.get());
    // A name the list holds already (a particle renamed in code): the
    // list took nothing, and the new particle goes.
    if (GetCount() == before) continue;
    TSceneParticle* added = particle.release();
    added->LifeTime = 0;
    added->Age = 1;
    added->Index = k;
  }
}

TMainItem* TSceneParticleList::AddItem(TMainItem* item) {
  if (item && !dynamic_cast<TSceneParticle*>(item))
    RaiseError(ClassName(), "AddItem", std::string(item->ClassName()) + " is not a particle");
  return TMainVisualObjectList::AddItem(item);
}

void TSceneParticleList::Animate(float deltaTime) {
  // A clock that jumps back or a broken time must not move anything.
  if (!(deltaTime >= 0) || !std::isfinite(deltaTime)) deltaTime = 0;
  TMainVisualObjectList::Animate(deltaTime);
  if (EnableGravity) GravityStep = Gravity * deltaTime;
  for (int i = 0; i < GetCount(); ++i) {
    TSceneParticle* particle = Particles(i);
    particle->Age += deltaTime;
    if (particle->Age < 0) continue;  // waiting
    if (particle->Age <= particle->LifeTime) {
      MoveParticle(particle, deltaTime);
      particle->Fresh = false;
      continue;
    }
    InitParticle(particle);
    if (particle->Age < 0) continue;
    if (particle->Fresh) {
      // A new swarm starts spread over its first lives.
      particle->Age = RandomFloat() * (particle->LifeTime - particle->LifeTime / 8) + particle->LifeTime / 16;
      MoveParticle(particle, particle->Age);
    } else if (particle->Age <= particle->LifeTime) {
      MoveParticle(particle, particle->Age);  // catches up with the new life
    } else {
      MoveParticle(particle, deltaTime);  // no new life began: keep going
    }
    particle->Fresh = false;
  }
}

void TSceneParticleList::ReadProperties(TResourceLoader& loader) {
  TMainVisualObjectList::ReadProperties(loader);
  Gravity = loader.ReadFloat("Gravity", Gravity);
  EnableGravity = loader.ReadBool("EnableGravity", EnableGravity);
  const int32_t count = loader.ReadInteger("ParticleCount", 0);
  if (count < 0 || count > kMaxParticleCount)
    loader.RaiseKeyError(ClassName(), "ReadProperties",
                         "ParticleCount " + std::to_string(count) + " is outside 0.." + std::to_string(kMaxParticleCount),
                         "ParticleCount");
  SetParticleCount(count);
}

void TSceneParticleList::WriteProperties(TResourceLoader& loader) {
  TMainVisualObjectList::WriteProperties(loader);
  loader.WriteFloat("Gravity", Gravity);
  loader.WriteBool("EnableGravity", EnableGravity);
  loader.WriteInteger("ParticleCount", GetCount());
}

}  // namespace velmora
