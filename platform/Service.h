// The table of platform services.
//
// Every service the program needs from the operating system is a small
// abstract class in this folder (Clock, Events, SettingsStore, ...). The
// program reaches the one in force through Service<T>::Get(). The real
// implementation lives in platform/sdl/ and is what Get() returns unless a
// test has installed a fake from platform/fake/ with ScopedService<T>.
//
// A backend provides the default of a service by specialising Default():
//
//   template <> Clock& Service<Clock>::Default() { static SdlClock c; return c; }
#pragma once

namespace platform {

template <class T>
class Service {
 public:
  static T& Get() { return current_ ? *current_ : Default(); }
  static void Override(T* service) { current_ = service; }
  static bool Overridden() { return current_ != nullptr; }
  static T& Default();

 private:
  static inline T* current_ = nullptr;
};

// Installs a service for the lifetime of this object (tests install fakes).
template <class T>
class ScopedService {
 public:
  explicit ScopedService(T* service) : previous_(Service<T>::Overridden() ? &Service<T>::Get() : nullptr) {
    Service<T>::Override(service);
  }
  ~ScopedService() { Service<T>::Override(previous_); }
  ScopedService(const ScopedService&) = delete;
  ScopedService& operator=(const ScopedService&) = delete;

 private:
  T* previous_;
};

template <class T>
inline T& Get() {
  return Service<T>::Get();
}

}  // namespace platform
