#include "world/Bubbles.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>
#include <string>

#include "scene/DefViewport.h"
#include "scene/SceneHost.h"
#include "core/Error.h"
#include "core/Random.h"
#include "scene/RenderState.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneValues.h"

namespace velmora {

namespace {

// The default viewport's field of view and the projection's shape of a
// window that is not wide.
constexpr double kDefaultFov = 75.0;
constexpr double kDefaultAspect = 4.0 / 3.0;
constexpr double kWideAspect = 16.0 / 9.0;
// How far the spawn width reaches beyond the picture's edges.
constexpr double kSideMargin = 100.0;
// Half a column's width, as a share of the spawn width.
constexpr double kColumnCentre = 1.0 / 24.0;

// value kept within the float range (it is finite already).
float ToFloat(double value) { return static_cast<float>(std::clamp(value, -double(FLT_MAX), double(FLT_MAX))); }

}  // namespace

double TBubbles::RandomStep() {
  const int k = RandomInt(12);
  const float r = RandomFloat();
  return k / 12.0 + (0.5 - r) * 0.02;
}

void TBubbles::View(double& fov, double& aspect) const {
  fov = kDefaultFov;
  aspect = kDefaultAspect;
  TSceneHost* application = Application();
  if (!application) return;
  TDefViewport& viewport = application->Viewport();
  if (viewport.FOV > 0 && viewport.FOV < 180) fov = viewport.FOV;
  const int width = viewport.WindowWidth(), height = viewport.WindowHeight();
  if (viewport.WideScreen)
    aspect = kWideAspect;
  else if (width > 0 && height > 0)
    aspect = double(width) / double(height);
}

void TBubbles::InitParticle(TSceneParticle* particle) {
  double fov = 0, aspect = 0;
  View(fov, aspect);
  const double z = -(RandomStep() * (double(MaxZ) - MinZ) + MinZ);
  const double y = BottomY;
  const double halfHeight = std::tan(fov * std::numbers::pi / 180.0 / 2.0) * -z;
  const double halfWidth = halfHeight * aspect + kSideMargin;
  // Each column in the middle of its twelfth of the width, so that the
  // twelve stand symmetrically and the margin serves both edges.
  const double x = (RandomStep() + kColumnCentre) * 2.0 * halfWidth - halfWidth;
  double speed = RandomFloat() * (double(MaxSpeed) - MinSpeed) + MinSpeed;
  // A lifetime is a distance over the speed: never over 0 or less.
  if (!(speed >= kLeastBubbleSpeed)) speed = kLeastBubbleSpeed;
  const double top = halfHeight < UpY ? halfHeight : UpY;
  particle->Velocity = {0, ToFloat(speed), 0};
  particle->Angles = {0, 0, 0};
  particle->AngularVelocity = {0, 0, 0};
  particle->Age = 0;
  particle->LifeTime = ToFloat(std::fabs((std::fabs(double(BottomY)) + top) / speed));
  particle->Position = {ToFloat(x), ToFloat(y), ToFloat(z)};
}

void TBubbles::RenderOpaque() {
  SetLighting(true);
  TSceneParticleList::RenderOpaque();
}

void TBubbles::RenderTransparent() {
  SetLighting(true);
  TSceneParticleList::RenderTransparent();
}

void TBubbles::ReadProperties(TResourceLoader& loader) {
  TSceneParticleList::ReadProperties(loader);
  MaxZ = loader.ReadFloat("MaxZ", MaxZ);
  MinZ = loader.ReadFloat("MinZ", MinZ);
  UpY = loader.ReadFloat("UpY", UpY);
  BottomY = loader.ReadFloat("BottomY", BottomY);
  MaxSpeed = loader.ReadFloat("MaxSpeed", MaxSpeed);
  MinSpeed = loader.ReadFloat("MinSpeed", MinSpeed);
  MaxCount = loader.ReadFloat("MaxCount", MaxCount);
  // Lifetimes are distances over speeds drawn between the two.
  for (const auto& [key, value] : {std::pair{"MinSpeed", MinSpeed}, std::pair{"MaxSpeed", MaxSpeed}})
    if (!(value > 0))
      loader.RaiseKeyError(ClassName(), "ReadProperties", std::string(key) + " " + SceneFloatToStr(value) + " is not above 0",
                           key);
}

void TBubbles::WriteProperties(TResourceLoader& loader) {
  TSceneParticleList::WriteProperties(loader);
  loader.WriteFloat("MaxZ", MaxZ);
  loader.WriteFloat("MinZ", MinZ);
  loader.WriteFloat("UpY", UpY);
  loader.WriteFloat("BottomY", BottomY);
  loader.WriteFloat("MaxSpeed", MaxSpeed);
  loader.WriteFloat("MinSpeed", MinSpeed);
  loader.WriteFloat("MaxCount", MaxCount);
}

}  // namespace velmora
