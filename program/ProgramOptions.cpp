#include "program/ProgramOptions.h"

#include "core/Error.h"
#include "core/Strings.h"
#include "platform/FilmLocalTime.h"

namespace velmora {

namespace {

[[noreturn]] void Bad(const std::string& text) { RaiseError("TProgramOptions", "Parse", text); }

const std::string& ValueOf(const std::vector<std::string>& argv, size_t& i) {
  if (i + 1 >= argv.size()) Bad(argv[i] + " needs a value");
  return argv[++i];
}

int IntValue(const std::string& option, const std::string& text, int low, int high) {
  std::optional<int64_t> v = ParseInt(text);
  if (!v || *v < low || *v > high) Bad(Format("%s needs a whole number %d..%d, not \"%s\"", option.c_str(), low, high,
                                              text.c_str()));
  return int(*v);
}

// The screen-saver roles' switches: a dash or a slash, then one of the
// letters s, c, p, l, a in either case, the host window after a colon or as
// the next argument; the X11 daemons' -window-id ID and -root (also with
// two dashes).
bool IsSaverSwitch(const std::string& a) {
  if (a == "-window-id" || a == "--window-id" || a == "-root" || a == "--root") return true;
  if (a.size() < 2 || (a[0] != '-' && a[0] != '/')) return false;
  const char letter = char(a[1] | 0x20);
  if (letter != 's' && letter != 'c' && letter != 'p' && letter != 'l' && letter != 'a') return false;
  return a.size() == 2 || (a[2] == ':' && (letter == 'c' || letter == 'p' || letter == 'l'));
}

// The switches that take the next argument as their value.
bool TakesValue(const std::string& a) {
  if (a == "-window-id" || a == "--window-id") return true;
  return a.size() == 2 && (a[0] == '-' || a[0] == '/') && (char(a[1] | 0x20) == 'p' || char(a[1] | 0x20) == 'l');
}

// Frames are written as JPEG or BMP, told by the name's extension.
bool IsPictureName(const std::string& name) {
  const size_t slash = name.find_last_of('/'), dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  const std::string ext = LowerCase(name.substr(dot));
  return ext == ".jpg" || ext == ".jpeg" || ext == ".bmp";
}

}  // namespace

bool IsHelpSwitch(const std::string& a) { return a == "--help" || a == "-help" || a == "-h"; }

TProgramOptions ParseProgramOptions(const std::vector<std::string>& argv) {
  TProgramOptions o;
  using TRun = TProgramOptions::TRun;
  if (!argv.empty()) o.SaverArguments.push_back(argv[0]);
  bool rate = false, out = false, size = false, blank = false, strict = false;
  // Asking for help is never a mistake, whatever else the line holds.
  for (size_t i = 1; i < argv.size(); ++i) {
    if (IsHelpSwitch(argv[i])) {
      o.Run = TRun::roHelp;
      return o;
    }
  }
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a == "--version") {
      o.Run = TRun::roVersion;
    } else if (a == "--film" || a == "--bench") {
      if (o.Run == TRun::roFilm || o.Run == TRun::roBench) Bad("--film and --bench go alone");
      if (o.Run == TRun::roCheck || o.Run == TRun::roSaveScene) Bad(a + " and --check or --save-scene go alone");
      const std::string& v = ValueOf(argv, i);
      if (a == "--film") {
        o.Run = TRun::roFilm;
        o.Seconds = IntValue(a, v, 1, 3600);
      } else {
        o.Run = TRun::roBench;
        std::optional<double> s = ParseFloat(v);
        if (!s || !(*s > 0) || *s > 3600) Bad("--bench needs seconds above 0, not \"" + v + "\"");
        o.Seconds = *s;
      }
    } else if (a == "--check" || a == "--save-scene") {
      if (o.Run != TRun::roSaver) Bad(a + " goes alone");
      if (a == "--check") {
        o.Run = TRun::roCheck;
      } else {
        o.Run = TRun::roSaveScene;
        o.SceneFile = ValueOf(argv, i);
        if (o.SceneFile.empty()) Bad("--save-scene needs a file name");
      }
    } else if (a == "--rate") {
      o.Rate = IntValue(a, ValueOf(argv, i), 1, 1000);
      rate = true;
    } else if (a == "--out") {
      o.Out = ValueOf(argv, i);
      if (o.Out.empty()) Bad("--out needs a file name");
      if (!IsPictureName(o.Out)) Bad("--out needs a name ending in .jpg or .bmp, not \"" + o.Out + "\"");
      out = true;
    } else if (a == "--size") {
      const std::string& v = ValueOf(argv, i);
      size_t x = v.find_first_of("xX");
      if (x == std::string::npos) Bad("--size needs WIDTHxHEIGHT, not \"" + v + "\"");
      o.Width = IntValue(a, v.substr(0, x), 1, 16384);
      o.Height = IntValue(a, v.substr(x + 1), 1, 16384);
      size = true;
    } else if (a == "--blank") {
      blank = true;
    } else if (a == "--pass-times") {
      o.PassTimes = true;
    } else if (a == "--leave-out") {
      const std::string& v = ValueOf(argv, i);
      for (size_t start = 0; start <= v.size();) {
        size_t comma = v.find(',', start);
        if (comma == std::string::npos) comma = v.size();
        if (comma == start) Bad("--leave-out needs part names separated by commas, not \"" + v + "\"");
        o.LeaveOut.push_back(v.substr(start, comma - start));
        start = comma + 1;
      }
    } else if (a == "--wallpaper") {
      o.Wallpaper = true;
    } else if (a == "--strict") {
      strict = true;
    } else if (a == "--seed") {
      const std::string& v = ValueOf(argv, i);
      std::optional<int64_t> seed = ParseInt(v);
      if (!seed || *seed < 0 || *seed > int64_t(UINT32_MAX))
        Bad(Format("--seed needs a whole number 0..%u, not \"%s\"", unsigned(UINT32_MAX), v.c_str()));
      o.Seed = uint32_t(*seed);
    } else if (a == "--at") {
      const std::string& v = ValueOf(argv, i);
      o.At = platform::ParseLocalDateTime(v);
      if (!o.At) Bad("--at needs a moment YYYY-MM-DDTHH:MM:SS that exists, not \"" + v + "\"");
    } else if (IsSaverSwitch(a)) {
      o.SaverArguments.push_back(a);
      // The window id after /p, /l and -window-id is no switch of its own.
      if (TakesValue(a) && i + 1 < argv.size()) o.SaverArguments.push_back(argv[++i]);
    } else if (a.size() > 1 && (a[0] == '-' || a[0] == '/')) {
      Bad("Unknown option " + a);
    } else {
      o.SaverArguments.push_back(a);
    }
  }
  if ((rate || out) && o.Run != TRun::roFilm) Bad("--rate and --out belong to --film");
  if (size && o.Run != TRun::roFilm && o.Run != TRun::roBench) Bad("--size belongs to --film or --bench");
  if (blank && o.Run != TRun::roBench) Bad("--blank belongs to --bench");
  if (!o.LeaveOut.empty() && o.Run != TRun::roBench) Bad("--leave-out belongs to --bench");
  if (o.PassTimes && o.Run != TRun::roBench) Bad("--pass-times belongs to --bench");
  if (strict && o.Run != TRun::roCheck) Bad("--strict belongs to --check");
  if ((o.Seed || o.At) && o.Run != TRun::roFilm && o.Run != TRun::roBench)
    Bad("--seed and --at belong to --film or --bench");
  if ((o.Run == TRun::roFilm || o.Run == TRun::roBench) && o.SaverArguments.size() > 1)
    Bad("--film and --bench take no screen-saver switches");
  if ((o.Run == TRun::roCheck || o.Run == TRun::roSaveScene) && o.SaverArguments.size() > 1)
    Bad("--check and --save-scene take no screen-saver switches");
  if (o.Wallpaper) {
    if (o.Run != TRun::roSaver) Bad("--wallpaper goes alone");
    if (o.SaverArguments.size() > 1) Bad("--wallpaper takes no screen-saver switches");
    // The wallpaper draws where -root does, but never ends on input.
    o.SaverArguments.push_back("-root");
    o.FramesPerSecond = kWallpaperFramesPerSecond;
  }
  o.Blank = blank;
  o.Strict = strict;
  if (o.Run == TRun::roFilm && o.Out.empty()) o.Out = "Film.jpg";
  return o;
}

}  // namespace velmora
