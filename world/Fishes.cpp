#include "world/Fishes.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>

#include "scene/DefViewport.h"
#include "scene/SceneHost.h"
#include "core/Random.h"
#include "gl/Primitive.h"
#include "gl/OpenGL.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneMesh.h"
#include "scene/SceneValues.h"
#include "world/FishRender.h"
#include "world/SwimFrames.h"
#include "world/WaterGeometry.h"

namespace velmora {

namespace {

constexpr double kPi = std::numbers::pi;
// The near band's paths slope away from the viewer by 15 degrees.
constexpr double kNearTheta = -15 * kPi / 180;
// A fish's band is drawn as a number k in 0 .. MaxCount: below
// kNearBandDraws the near band, below kMidBandDraws the middle band, else
// the far one. Lists whose far band would start beyond MaxZ always take
// the near band (kOnlyNearBand).
constexpr double kNearBandDraws = 20;
constexpr double kMidBandDraws = 50;
constexpr double kOnlyNearBand = kNearBandDraws - 1;

// The view of the default viewport (75 degrees, 4:3), camera at the origin.
TFishView DefaultView() {
  const double top = std::tan(75.0 / 2 * kPi / 180);
  return {4.0 / 3.0 * top, top, {0, 0, 0}};
}

// value fits a float with room to spare.
bool Fits(double value) { return std::isfinite(value) && std::fabs(value) <= FLT_MAX / 2; }

// A random number in low .. high (either way round).
double Between(double low, double high) { return RandomFloat() * (high - low) + low; }

float Coordinate(float value) { return std::isfinite(value) ? value : 0.0f; }

}  // namespace

TFishType StrToFishType(std::string_view text) {
  if (text == "Plankton") return ftPlankton;
  if (text == "StarFish") return ftStarFish;
  if (text == "JellyFish") return ftJellyFish;
  return ftFish;
}

const char* FishTypeToStr(TFishType type) {
  switch (type) {
    case ftPlankton:
      return "Plankton";
    case ftStarFish:
      return "StarFish";
    case ftJellyFish:
      return "JellyFish";
    default:
      return "Fish";
  }
}

TFishes::~TFishes() {
  // A list freed by its render has no owner any more: the render has
  // emptied its slots already.
  if (TFishRender* render = Renderer()) render->ForgetList(this);
}

TFishRender* TFishes::Renderer() const { return dynamic_cast<TFishRender*>(Owner()); }

TSceneMesh* TFishes::Mesh() const { return dynamic_cast<TSceneMesh*>(Visual); }

TFishView TFishes::FishView() const {
  TFishView view = DefaultView();
  TSceneHost* application = Application();
  if (!application) return view;
  TDefViewport& viewport = application->Viewport();
  TViewSlopes slopes;
  if (TryViewSlopes(viewport, slopes) && slopes.Right > 0 && slopes.Top > 0) {
    view.SlopeRight = slopes.Right;
    view.SlopeTop = slopes.Top;
  }
  const TOpenGLVector& camera = viewport.Camera().Position;
  view.Camera = {Coordinate(camera.X), Coordinate(camera.Y), Coordinate(camera.Z)};
  return view;
}

// --- particles -------------------------------------------------------------------

std::unique_ptr<TSceneParticle> TFishes::CreateParticle() {
  if (FishType == ftPlankton) return std::make_unique<TPlankton>();
  return std::make_unique<TFish>();
}

void TFishes::InitParticle(TSceneParticle* particle) {
  // The particle's own class decides, so that a particle of the other kind
  // (made before a change of FishType in code) still swims.
  if (auto* plankton = dynamic_cast<TPlankton*>(particle)) {
    SpawnPlankton(plankton);
    return;
  }
  if (!SpawnFish(particle)) return;
  TFishRender* render = Renderer();
  auto* fish = dynamic_cast<TFish*>(particle);
  if (render && fish && !render->PlaceFish(fish)) Park(fish);
}

void TFishes::MoveParticle(TSceneParticle* particle, float deltaTime) {
  TSceneParticleList::MoveParticle(particle, deltaTime);
  if (auto* plankton = dynamic_cast<TPlankton*>(particle)) WanderPlankton(plankton);
}

void TFishes::SetParticleCount(int n) {
  // The particles that go give up their slots in DeleteItems.
  TSceneParticleList::SetParticleCount(std::min(n, MaxCount));
}

void TFishes::DeleteItems(int n) {
  if (n < 1) return;
  ReleaseSlots(std::max(GetCount() - n, 0));
  TSceneParticleList::DeleteItems(n);
}

void TFishes::Clear() {
  ReleaseSlots(0);
  TSceneParticleList::Clear();
}

void TFishes::ReleaseSlots(int first) {
  TFishRender* render = Renderer();
  for (int i = first; i < GetCount(); ++i) {
    TSceneParticle* particle = Particles(i);
    if (render)
      render->ReleaseBin(particle);
    else
      particle->BinIndex = -1;
  }
}

void TFishes::Park(TSceneParticle* fish) {
  if (TFishRender* render = Renderer()) render->ReleaseBin(fish);
  fish->Position = kParkedFishPosition;
  fish->Velocity = {0, 0, 0};
  fish->AngularVelocity = {0, 0, 0};
  fish->Age = 1;
  fish->LifeTime = 0;
}

// --- spawning --------------------------------------------------------------------

bool TFishes::SpawnFish(TSceneParticle* fish) {
  // The mesh's length, once after the keys were read.
  if (MeshDirty) {
    MeshDirty = false;
    if (TSceneMesh* mesh = Mesh()) mesh->LoadMesh();
    MeasureMesh();
  }
  const TFishRender* render = Renderer();
  const double nearBandEnd = render ? render->NearBandEnd : kDefaultNearBandEnd;
  const double farBandStart = render ? render->FarBandStart : kDefaultFarBandStart;
  const double midBandStart = render ? render->MidBandStart : kDefaultMidBandStart;
  const double zGap = render ? render->ZGap : kDefaultZGap;

  // The band: angle, depth and height.
  double theta = 0, z, y;
  if (MaxZ == MinZ) {
    z = -double(MaxZ);
    y = Between(BottomY, UpY);
  } else {
    double k = std::nearbyint(double(RandomFloat()) * MaxCount);
    if (farBandStart > MaxZ) k = kOnlyNearBand;
    if (k < kNearBandDraws) {
      theta = kNearTheta;
      z = -Between(MinZ, nearBandEnd);
      y = Between(BottomY, UpY);
    } else if (k < kMidBandDraws) {
      z = -(midBandStart + RandomFloat() * (farBandStart - midBandStart - zGap));
      y = Between(BottomY, UpY);
    } else {
      z = -(zGap + farBandStart + RandomFloat() * (double(MaxZ) - farBandStart));
      y = UpY - RandomFloat() * (double(UpY) - BottomY) / 2;  // the upper half only
    }
  }

  // The view at that depth; the height kept within it.
  const TFishView view = FishView();
  const TGLVector c = view.Camera;
  const double depth = std::fabs(z - c.z);
  const double xL = -depth * view.SlopeRight + c.x;
  const double yT = depth * view.SlopeTop + c.y;
  if (y > yT) y = yT;
  if (y < -yT) y = -yT;

  // Along the path to the right edge of the view: z = k1 x + b1.
  const double k1 = -1 / view.SlopeRight;
  const double b1 = c.z - k1 * c.x;
  double xE = 0, zE = 0;
  auto meet = [&](double m) {
    const double b2 = z - m * xL;
    xE = (b1 - b2) / (m - k1);
    zE = k1 * xE + b1;
    return std::isfinite(xE) && xE > xL;
  };
  if (!meet(std::tan(theta))) {
    // The edge runs parallel to the sloping path or away from it: across.
    theta = 0;
    if (!meet(0)) {
      // A depth behind the camera: a path of the fish's own length.
      xE = xL;
      zE = z;
    }
  }
  const double dx = std::cos(theta), dz = std::sin(theta);

  // Both ends pushed out, so that the fish starts and ends unseen.
  fish->AngularVelocity = {0, 0, 0};
  const double sx = xL - dx * HalfLength, sz = z - dz * HalfLength;
  const double ex = xE + dx * HalfLength, ez = zE + dz * HalfLength;
  if (auto* tracked = dynamic_cast<TFish*>(fish)) tracked->TrackZ = static_cast<float>(sz);

  // Speed and lifetime.
  const double v = Between(MinSpeed, MaxSpeed);
  const double lifeTime = std::fabs(ex - sx) / (v * dx);
  if (!(v > 0) || !Fits(lifeTime) || !Fits(sx) || !Fits(sz) || !Fits(ex) || !Fits(ez) || !Fits(y)) {
    Park(fish);
    return false;
  }
  fish->Age = 0;
  fish->LifeTime = static_cast<float>(lifeTime);

  // Which way it swims.
  TFishDirection direction = render ? render->FishDirection : fdRight;
  if (direction == fdBoth) direction = RandomFloat() > 0.5f ? fdRight : fdLeft;
  const double yaw = theta * 180 / kPi;
  const TGLVector velocity{float(v * dx), 0, float(v * dz)};
  if (direction == fdLeft) {
    fish->Position = {float(ex), float(y), float(ez)};
    fish->Velocity = velocity * -1.0f;
    fish->Angles = {0, float(180 - yaw), 0};
  } else {
    fish->Position = {float(sx), float(y), float(sz)};
    fish->Velocity = velocity;
    fish->Angles = {0, float(-yaw), 0};
  }
  return true;
}

bool TFishes::SpawnPlankton(TPlankton* plankton) {
  const double z = -Between(MinZ, MaxZ);
  const TFishView view = FishView();
  const TGLVector c = view.Camera;
  const double depth = std::fabs(z - c.z);
  double xL = -depth * view.SlopeRight + c.x;
  double xR = depth * view.SlopeRight + c.x;
  const double yT = std::min(depth * view.SlopeTop + c.y, double(UpY));
  const double yB = std::max(-depth * view.SlopeTop + c.y, double(BottomY));
  const double y = Between(yB, yT);
  plankton->AngularVelocity = {72, 144, 36};
  plankton->Age = 0;
  plankton->NextTurn = 0;
  xL -= HalfLength;
  xR += HalfLength;
  const double v = Between(MinSpeed, MaxSpeed);
  const double lifeTime = std::fabs(xR - xL) / v;
  if (!(v > 0) || !Fits(lifeTime) || !Fits(xL) || !Fits(xR) || !Fits(y) || !Fits(z)) {
    Park(plankton);
    return false;
  }
  plankton->LifeTime = static_cast<float>(lifeTime);
  if (RandomFloat() > 0.5f) {
    plankton->Position = {float(xL), float(y), float(z)};
    plankton->Velocity = {float(v), 0, 0};
  } else {
    plankton->Position = {float(xR), float(y), float(z)};
    plankton->Velocity = {float(-v), 0, 0};
  }
  plankton->Angles = {0, 0, 0};
  return true;
}

void TFishes::WanderPlankton(TPlankton* plankton) {
  if (plankton->NextTurn > plankton->Age) return;
  const double speed = Between(MinSpeed, MaxSpeed);
  plankton->Velocity.y = static_cast<float>((RandomFloat() - 0.5) * 2 * speed);
  plankton->NextTurn = plankton->Age + RandomFloat();
}

void TFishes::MeasureMesh() {
  double minX = 10000, maxX = -10000;
  bool any = false;
  if (TSceneMesh* mesh = Mesh())
    for (const TMeshGroupList* groups : {&mesh->OpaqueGroups, &mesh->TransparentGroups})
      for (const auto& group : *groups) {
        const TGLVectorDArray& vertices = group->Primitive->Vertices;
        for (int i = 0; i < vertices.Count(); ++i) {
          minX = std::min(minX, double(vertices.Items()[i].x));
          maxX = std::max(maxX, double(vertices.Items()[i].x));
          any = true;
        }
      }
  // A mesh without vertices has no length: only the margin.
  const double half = any ? (maxX - minX) / 2 + 100 : 100;
  HalfLength = Fits(half) ? static_cast<float>(half) : 100.0f;
}

void TFishes::MakeSwimFrames() {
  if (FishType != ftFish) return;
  if (TSceneMesh* mesh = Mesh()) velmora::MakeSwimFrames(*mesh);
}

// --- drawing ---------------------------------------------------------------------

void TFishes::RenderOpaque() {
  TCustomOpenGL* gl = OpenGL();
  if (!gl || !gl->Active()) return;
  switch (FishType) {
    case ftPlankton:
      gl->SetCullFace(false);
      if (TSceneMesh* mesh = Mesh()) mesh->LoadMesh();
      gl->SetCullFace(true);
      return;
    case ftFish:
      MakeSwimFrames();
      TSceneParticleList::RenderOpaque();
      return;
    default:
      TSceneParticleList::RenderOpaque();
  }
}

void TFishes::RenderTransparent() {
  TCustomOpenGL* gl = OpenGL();
  if (!gl || !gl->Active()) return;
  switch (FishType) {
    case ftPlankton:
      gl->SetCullFace(false);
      gl->SetDepthTest(false);
      TSceneParticleList::RenderTransparent();
      gl->SetDepthTest(true);
      gl->SetCullFace(true);
      return;
    case ftFish:
      MakeSwimFrames();
      TSceneParticleList::RenderTransparent();
      return;
    default:
      TSceneParticleList::RenderTransparent();
  }
}

// --- keys ------------------------------------------------------------------------

void TFishes::ReadProperties(TResourceLoader& loader) {
  MaxZ = loader.ReadFloat("MaxZ", MaxZ);
  MinZ = loader.ReadFloat("MinZ", MinZ);
  UpY = loader.ReadFloat("UpY", UpY);
  BottomY = loader.ReadFloat("BottomY", BottomY);
  MaxSpeed = loader.ReadFloat("MaxSpeed", MaxSpeed);
  MinSpeed = loader.ReadFloat("MinSpeed", MinSpeed);
  MaxCount = loader.ReadInteger("MaxCount", MaxCount);
  const TFishType type = StrToFishType(loader.ReadString("FishType", FishTypeToStr(FishType)));
  // A speed of 0 or below gives lifetimes without end (or below 0).
  if (!(MinSpeed > 0))
    loader.RaiseKeyError("TFishes", "ReadProperties", "MinSpeed " + SceneFloatToStr(MinSpeed) + " is not above 0",
                         "MinSpeed");
  if (!(MaxSpeed > 0))
    loader.RaiseKeyError("TFishes", "ReadProperties", "MaxSpeed " + SceneFloatToStr(MaxSpeed) + " is not above 0",
                         "MaxSpeed");
  // Particles of the other class go: the count below makes new ones.
  if (type != FishType) DeleteItems(GetCount());
  FishType = type;
  MeshDirty = true;
  TSceneParticleList::ReadProperties(loader);
}

void TFishes::WriteProperties(TResourceLoader& loader) {
  TSceneParticleList::WriteProperties(loader);
  loader.WriteFloat("MaxZ", MaxZ);
  loader.WriteFloat("MinZ", MinZ);
  loader.WriteFloat("UpY", UpY);
  loader.WriteFloat("BottomY", BottomY);
  loader.WriteFloat("MaxSpeed", MaxSpeed);
  loader.WriteFloat("MinSpeed", MinSpeed);
  loader.WriteInteger("MaxCount", MaxCount);
  loader.WriteString("FishType", FishTypeToStr(FishType));
}

}  // namespace velmora
