#include "platform/sdl/SdlSettingsStore.h"

#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/Error.h"
#include "core/Strings.h"
#include "platform/Service.h"

namespace platform {

namespace {

const char kStoreClass[] = "SdlSettingsStore";
const char kKeyClass[] = "SdlSettingsKey";
const char kHex[] = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char c) {
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string AbsoluteEnv(const char* name) {
  const char* v = std::getenv(name);
  return v && v[0] == '/' ? std::string(v) : std::string();
}

std::string HomeFolder() {
  std::string home = AbsoluteEnv("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// One part of a key path as a file or folder name.
std::string PartName(std::string_view part) {
  if (part == ".") return "%2E";
  if (part == "..") return "%2E%2E";
  std::string out;
  for (char ch : part) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '/' || c == '%' || c == 0)
      AppendEscaped(out, c);
    else
      out += ch;
  }
  return out;
}

struct GKeyFileDeleter {
  void operator()(GKeyFile* f) const { g_key_file_free(f); }
};
using KeyFilePtr = std::unique_ptr<GKeyFile, GKeyFileDeleter>;

std::string TakeMessage(GError* error) {
  std::string text = error && error->message ? error->message : "unknown error";
  if (error) g_error_free(error);
  return text;
}

// Throws unless `path` (the root) is a folder or does not exist yet.
void CheckRoot(const std::string& root, const char* className, const char* operation) {
  struct stat st {};
  if (stat(root.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) velmora::RaiseError(className, operation, "\"" + root + "\" is not a folder");
    return;
  }
  if (errno != ENOENT)
    velmora::RaiseError(className, operation, "cannot use \"" + root + "\": " + std::strerror(errno));
}

class SdlSettingsKey : public SettingsKey {
 public:
  SdlSettingsKey(std::string file, bool readOnly, std::shared_ptr<std::set<std::string>> warned)
      : file_(std::move(file)), readOnly_(readOnly), warned_(std::move(warned)) {}

  bool ReadString(const std::string& name, std::string& value) override {
    KeyFilePtr kf = Load("ReadString", nullptr);
    if (!kf) return false;
    gchar* raw = g_key_file_get_value(kf.get(), SdlSettingsStore::kGroup,
                                      SdlSettingsStore::EncodeName(name).c_str(), nullptr);
    if (!raw) return false;
    value = SdlSettingsStore::DecodeValue(raw);
    g_free(raw);
    return true;
  }

  bool ValueExists(const std::string& name) override {
    KeyFilePtr kf = Load("ValueExists", nullptr);
    return kf && g_key_file_has_key(kf.get(), SdlSettingsStore::kGroup,
                                    SdlSettingsStore::EncodeName(name).c_str(), nullptr);
  }

  void WriteString(const std::string& name, const std::string& value) override {
    CheckWritable("WriteString");
    bool corrupt = false;
    KeyFilePtr kf = Load("WriteString", &corrupt);
    if (!kf) kf.reset(g_key_file_new());
    g_key_file_set_value(kf.get(), SdlSettingsStore::kGroup, SdlSettingsStore::EncodeName(name).c_str(),
                         SdlSettingsStore::EncodeValue(value).c_str());
    Save(kf.get(), corrupt, "WriteString");
  }

  void DeleteValue(const std::string& name) override {
    CheckWritable("DeleteValue");
    bool corrupt = false;
    KeyFilePtr kf = Load("DeleteValue", &corrupt);
    if (!kf) return;
    if (!g_key_file_remove_key(kf.get(), SdlSettingsStore::kGroup, SdlSettingsStore::EncodeName(name).c_str(),
                               nullptr))
      return;  // nothing to delete: the file stays as it is
    Save(kf.get(), corrupt, "DeleteValue");
  }

 private:
  void CheckWritable(const char* operation) {
    if (readOnly_) velmora::RaiseError(kKeyClass, operation, "the key is open for reading only");
  }

  // The key file as it is on disk; nullptr when the file does not exist, an
  // empty one when it is corrupt (and *corrupt set, when asked).
  KeyFilePtr Load(const char* operation, bool* corrupt) {
    gchar* data = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    if (!g_file_get_contents(file_.c_str(), &data, &length, &error)) {
      if (error->code == G_FILE_ERROR_NOENT) {
        g_error_free(error);
        return nullptr;
      }
      velmora::RaiseError(kKeyClass, operation, TakeMessage(error));
    }
    KeyFilePtr kf(g_key_file_new());
    bool ok = g_key_file_load_from_data(kf.get(), data, length, G_KEY_FILE_KEEP_COMMENTS, &error);
    g_free(data);
    if (ok) return kf;
    if (warned_->insert(file_).second) {
      std::fprintf(stderr,
                   "velmora: warning: settings file \"%s\" is damaged and reads as empty (%s); it is kept as "
                   "\"%s.corrupt\" when the settings are next saved\n",
                   file_.c_str(), error->message, file_.c_str());
      std::fflush(stderr);
    }
    g_error_free(error);
    if (corrupt) *corrupt = true;
    return KeyFilePtr(g_key_file_new());
  }

  void Save(GKeyFile* kf, bool corrupt, const char* operation) {
    std::string folder = file_.substr(0, file_.rfind('/'));
    if (g_mkdir_with_parents(folder.c_str(), 0755) != 0)
      velmora::RaiseError(kKeyClass, operation, "cannot make \"" + folder + "\": " + std::strerror(errno));
    // The new file is renamed over the old one, which the folder's rights
    // allow (and root may do anything): a file or folder the user marked
    // read-only is refused here, by its mode.
    for (const std::string& path : {file_, folder}) {
      struct stat st {};
      if (stat(path.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR))
        velmora::RaiseError(kKeyClass, operation, "\"" + path + "\" is read-only");
    }
    gsize length = 0;
    gchar* data = g_key_file_to_data(kf, &length, nullptr);
    if (corrupt && rename(file_.c_str(), (file_ + ".corrupt").c_str()) != 0 && errno != ENOENT) {
      int e = errno;
      g_free(data);
      velmora::RaiseError(kKeyClass, operation,
                          "cannot keep the damaged \"" + file_ + "\" aside: " + std::strerror(e));
    }
    GError* error = nullptr;
    bool ok = g_file_set_contents_full(
        file_.c_str(), data, gssize(length),
        GFileSetContentsFlags(G_FILE_SET_CONTENTS_CONSISTENT | G_FILE_SET_CONTENTS_DURABLE), 0666, &error);
    g_free(data);
    if (!ok) velmora::RaiseError(kKeyClass, operation, TakeMessage(error));
    // The rename is only durable once the folder itself reaches the disk.
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      fsync(dir);
      close(dir);
    }
  }

  std::string file_;
  bool readOnly_;
  std::shared_ptr<std::set<std::string>> warned_;
};

}  // namespace

SdlSettingsStore::SdlSettingsStore() {
  userRoot_ = AbsoluteEnv("XDG_CONFIG_HOME");
  if (userRoot_.empty()) userRoot_ = HomeFolder() + "/.config";
  userRoot_ = WithoutTrailingSlash(userRoot_);
  if (const char* dirs = std::getenv("XDG_CONFIG_DIRS")) {
    std::string first(dirs, std::strcspn(dirs, ":"));
    if (!first.empty() && first[0] == '/') machineRoot_ = WithoutTrailingSlash(first);
  }
  if (machineRoot_.empty()) machineRoot_ = "/etc/xdg";
}

SdlSettingsStore::SdlSettingsStore(std::string machineRoot, std::string userRoot)
    : machineRoot_(WithoutTrailingSlash(std::move(machineRoot))), userRoot_(WithoutTrailingSlash(std::move(userRoot))) {}

const std::string& SdlSettingsStore::RootPath(SettingsRoot root) const {
  return root == SettingsRoot::LocalMachine ? machineRoot_ : userRoot_;
}

std::string SdlSettingsStore::KeyFile(SettingsRoot root, const std::string& path) const {
  std::vector<std::string_view> parts;
  std::string_view rest(path);
  while (!rest.empty()) {
    size_t end = rest.find('\\');
    std::string_view part = rest.substr(0, end);
    if (!part.empty()) parts.push_back(part);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  if (parts.size() > 1 && velmora::SameText(parts[0], "Software")) parts.erase(parts.begin());
  if (parts.empty()) velmora::RaiseError(kStoreClass, "OpenKey", "the key path \"" + path + "\" names no key");
  std::string file = RootPath(root);
  // Appended in pieces: GCC 12 takes "/" + name, inlined here, for an
  // overlapping copy (-Wrestrict).
  for (std::string_view part : parts) {
    file += '/';
    file += PartName(part);
  }
  file += ".conf";
  return file;
}

std::unique_ptr<SettingsKey> SdlSettingsStore::OpenKey(SettingsRoot root, const std::string& path, bool readOnly) {
  std::string file = KeyFile(root, path);
  CheckRoot(RootPath(root), kStoreClass, "OpenKey");
  if (readOnly) {
    struct stat st {};
    if (stat(file.c_str(), &st) != 0) {
      if (errno == ENOENT) return nullptr;
      velmora::RaiseError(kStoreClass, "OpenKey", "cannot use \"" + file + "\": " + std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) velmora::RaiseError(kStoreClass, "OpenKey", "\"" + file + "\" is not a file");
  }
  return std::make_unique<SdlSettingsKey>(std::move(file), readOnly, warned_);
}

std::string SdlSettingsStore::EncodeName(std::string_view name) {
  if (name.empty()) return "%";
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    bool inner = i != 0 && i + 1 != name.size();
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                 c == '_' || c == '.' || (c == ' ' && inner);
    if (plain)
      out += char(c);
    else
      AppendEscaped(out, c);
  }
  return out;
}

std::optional<std::string> SdlSettingsStore::DecodeName(std::string_view encoded) {
  if (encoded == "%") return std::string();
  if (encoded.empty()) return std::nullopt;
  std::string out;
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] != '%') {
      out += encoded[i];
      continue;
    }
    if (i + 2 >= encoded.size()) return std::nullopt;
    int hi = HexDigit(encoded[i + 1]), lo = HexDigit(encoded[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += char(hi * 16 + lo);
    i += 2;
  }
  return out;
}

std::string SdlSettingsStore::EncodeValue(std::string_view value) {
  std::string out;
  size_t i = 0;
  while (i < value.size()) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    if (c >= 0x80) {
      // Whole UTF-8 characters stay readable; anything else is escaped.
      gunichar ch = g_utf8_get_char_validated(value.data() + i, gssize(value.size() - i));
      if (ch != gunichar(-1) && ch != gunichar(-2) && ch != 0) {
        size_t n = size_t(g_utf8_skip[c]);
        out.append(value.substr(i, n));
        i += n;
        continue;
      }
      AppendEscaped(out, c);
    } else if (c < 0x20 || c == 0x7F || c == '%' || (c == ' ' && (i == 0 || i + 1 == value.size()))) {
      AppendEscaped(out, c);
    } else {
      out += char(c);
    }
    ++i;
  }
  return out;
}

std::string SdlSettingsStore::DecodeValue(std::string_view encoded) {
  std::string out;
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '%' && i + 2 < encoded.size()) {
      int hi = HexDigit(encoded[i + 1]), lo = HexDigit(encoded[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += char(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += encoded[i];
  }
  return out;
}

template <>
SettingsStore& Service<SettingsStore>::Default() {
  static SdlSettingsStore store;
  return store;
}

}  // namespace platform
