#include "app/ScreenSaver.h"

#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

std::string ProgramFileKind(std::string_view programPath) {
  size_t slash = programPath.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return ".EXE";
  return UpperCase(name.substr(dot));
}

bool HasSwitch(const std::vector<std::string>& argv, char letter) {
  char wanted = UpperCase(std::string(1, letter))[0];
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a.size() >= 2 && (a[0] == '-' || a[0] == '/') && UpperCase(a.substr(1, 1))[0] == wanted) return true;
  }
  return false;
}

platform::ForeignWindowId ParseWindowId(std::string_view text) {
  std::string t = Trim(text);
  auto bad = [&]() -> platform::ForeignWindowId {
    RaiseError("TGLScreenSaver", "Create", "Invalid window id \"" + std::string(text) + "\"");
  };
  bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
  size_t start = hex ? 2 : 0;
  if (t.size() <= start || t.size() - start > (hex ? 16u : 20u)) return bad();
  platform::ForeignWindowId value = 0;
  for (size_t i = start; i < t.size(); ++i) {
    char c = t[i];
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = unsigned(c - '0');
    else if (hex && c >= 'a' && c <= 'f')
      digit = unsigned(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F')
      digit = unsigned(c - 'A' + 10);
    else
      return bad();
    unsigned base = hex ? 16 : 10;
    if (value > (UINT64_MAX - digit) / base) return bad();
    value = value * base + digit;
  }
  return value;
}

namespace {

// The host window named by the Windows-style switches: "/p:ID" or "/p ID".
platform::ForeignWindowId HostWindow(const std::vector<std::string>& argv, platform::ForeignWindowId foreground) {
  size_t args = argv.size() - 1;
  if (args < 2) {
    if (args == 1) {
      size_t colon = argv[1].find(':');
      if (colon != std::string::npos) return ParseWindowId(argv[1].substr(colon + 1, 20));
    }
    return foreground;
  }
  return ParseWindowId(argv[2]);
}

}  // namespace

TSaverCommandLine DecideSaverRole(const std::vector<std::string>& argv, platform::ForeignWindowId foreground,
                                  const std::string& xscreensaverWindow) {
  TSaverCommandLine r;
  size_t args = argv.empty() ? 0 : argv.size() - 1;

  // The X11 daemons' conventions come first: their switches mean nothing to
  // the Windows-style rules below, which would run the program role.
  for (size_t i = 1; i < argv.size(); ++i) {
    if (argv[i] == "-window-id" || argv[i] == "--window-id") {
      if (i + 1 >= argv.size()) RaiseError("TGLScreenSaver", "Create", "-window-id needs a window id");
      r.Role = srPreview;
      r.ParentHandle = ParseWindowId(argv[i + 1]);
      return r;
    }
  }
  for (size_t i = 1; i < argv.size(); ++i) {
    if (argv[i] == "-root" || argv[i] == "--root") {
      r.Role = srPreview;
      if (!xscreensaverWindow.empty())
        r.ParentHandle = ParseWindowId(xscreensaverWindow);
      else
        r.ParentIsRoot = true;
      return r;
    }
  }
  bool windowsSwitch = HasSwitch(argv, 'C') || HasSwitch(argv, 'A') || HasSwitch(argv, 'P') ||
                       HasSwitch(argv, 'L') || HasSwitch(argv, 'S');
  if (!xscreensaverWindow.empty() && !windowsSwitch) {
    r.Role = srPreview;
    r.ParentHandle = ParseWindowId(xscreensaverWindow);
    return r;
  }

  std::string kind = argv.empty() ? std::string(".EXE") : ProgramFileKind(argv[0]);
  if (kind == ".EXE" && args == 0)
    r.Role = srProgram;
  else if (args == 0 || HasSwitch(argv, 'C'))
    r.Role = srConfig;
  else if (HasSwitch(argv, 'A'))
    r.Role = srPassword;
  else if (HasSwitch(argv, 'P') || HasSwitch(argv, 'L'))
    r.Role = srPreview;
  else if (HasSwitch(argv, 'S'))
    r.Role = srSaver;
  else
    r.Role = srProgram;

  // Only the roles that use a host window read one, so "-s" with further
  // arguments of the program's own is no error.
  if (r.Role == srPreview || r.Role == srConfig || r.Role == srPassword)
    r.ParentHandle = argv.empty() ? foreground : HostWindow(argv, foreground);
  return r;
}

float PowerTimeout(int index, const char* operation) {
  if (index < 0 || index >= int(PowerTimeouts.size())) RaiseError("TGLScreenSaver", operation, "Index out of bounds");
  return PowerTimeouts[size_t(index)];
}

}  // namespace velmora
