#include "platform/sdl/SdlScreenSaverHost.h"

#include "platform/Service.h"
#include "platform/sdl/X11Library.h"

namespace platform {

namespace {

// DPMS is an extension of libXext; its power level for "off".
constexpr unsigned short DpmsModeOff = 3;
constexpr const char* kXext = "libXext.so.6";

}  // namespace

SdlScreenSaverHost::SdlScreenSaverHost(std::string displayName) : displayName_(std::move(displayName)) {}

SdlScreenSaverHost::~SdlScreenSaverHost() = default;

bool SdlScreenSaverHost::MonitorOff() {
  X11Library& x = X11Library::Get();
  using CapableFn = Bool (*)(Display*);
  using InfoFn = Bool (*)(Display*, unsigned short*, unsigned char*);
  using EnableFn = Bool (*)(Display*);
  using ForceLevelFn = Bool (*)(Display*, unsigned short);
  auto capable = reinterpret_cast<CapableFn>(x.Symbol("DPMSCapable", kXext));
  auto info = reinterpret_cast<InfoFn>(x.Symbol("DPMSInfo", kXext));
  auto enable = reinterpret_cast<EnableFn>(x.Symbol("DPMSEnable", kXext));
  auto forceLevel = reinterpret_cast<ForceLevelFn>(x.Symbol("DPMSForceLevel", kXext));
  if (!capable || !info || !enable || !forceLevel) return false;
  X11Connection connection(displayName_);
  if (!connection || !capable(connection.display())) return false;
  unsigned short level = 0;
  unsigned char enabled = 0;
  // Forcing a level needs DPMS switched on.
  if (info(connection.display(), &level, &enabled) && !enabled) enable(connection.display());
  bool done = forceLevel(connection.display(), DpmsModeOff);
  return connection.SyncOk() && done;
}

bool SdlScreenSaverHost::SystemSuspend() {
  SpawnRequest request;
  request.argv = {"systemctl", "suspend"};
  request.show = ShowCommand::Hide;
  std::string error;
  suspendProcess_ = Get<Processes>().Spawn(request, error);
  return suspendProcess_ != nullptr;
}

template <>
ScreenSaverHost& Service<ScreenSaverHost>::Default() {
  static SdlScreenSaverHost host;
  return host;
}

}  // namespace platform
