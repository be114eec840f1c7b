#include "platform/sdl/SdlAudio.h"

#include <dlfcn.h>

#include <cstdio>

namespace platform {

namespace {

// ALSA prints every failed probe (a machine without a sound card gets
// eight "ALSA lib ..." lines) through a handler the program can replace.
// SDL loads the library at run time, so it is loaded here too - the same
// copy - and given a handler that prints nothing; it stays loaded so the
// handler stays set. Without the library there is nothing to quieten.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error, const char* format, ...);
using AlsaSetErrorHandler = int (*)(AlsaErrorHandler handler);

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietenAlsa() {
  static const bool quiet = [] {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa) return false;
    auto set = reinterpret_cast<AlsaSetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    return set && set(&IgnoreAlsaError) == 0;
  }();
  (void)quiet;
}

}  // namespace

SdlAudioOutput::~SdlAudioOutput() { Close(); }

void SdlAudioOutput::Callback(void* self, Uint8* stream, int len) {
  auto* output = static_cast<SdlAudioOutput*>(self);
  output->source_->FillAudio(stream, static_cast<std::size_t>(len));
}

bool SdlAudioOutput::Open(const AudioFormat& format, int frames, AudioSource* source) {
  if (device_ != 0) {
    error_ = "the output is already open";
    return false;
  }
  if (!source || format.rate <= 0 || format.channels < 1 || format.channels > 8 ||
      (format.bits != 8 && format.bits != 16) || frames <= 0 || frames > 65535) {
    error_ = "the format cannot be played";
    return false;
  }
  QuietenAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Failed();
  SDL_AudioSpec wanted{};
  wanted.freq = format.rate;
  wanted.format = format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  wanted.channels = static_cast<Uint8>(format.channels);
  wanted.samples = static_cast<Uint16>(frames);
  wanted.callback = &SdlAudioOutput::Callback;
  wanted.userdata = this;
  source_ = source;
  SDL_AudioSpec obtained{};
  // Opened paused: SDL calls the callback only once it is released.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device_ == 0) {
    Failed();
    source_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  error_.clear();
  return true;
}

bool SdlAudioOutput::Failed() {
  error_ = SDL_GetError();
  if (!silentSaid_) {
    silentSaid_ = true;
    std::fprintf(stderr, "velmora: no sound device could be opened (%s); running silent\n", error_.c_str());
  }
  return false;
}

bool SdlAudioOutput::SetPaused(bool paused) {
  if (device_ == 0) {
    error_ = "no output is open";
    return false;
  }
  SDL_PauseAudioDevice(device_, paused ? 1 : 0);
  return true;
}

void SdlAudioOutput::Close() {
  if (device_ == 0) return;
  SDL_CloseAudioDevice(device_);  // joins SDL's audio thread
  device_ = 0;
  source_ = nullptr;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

template <>
AudioOutput& Service<AudioOutput>::Default() {
  static SdlAudioOutput output;
  return output;
}

}  // namespace platform
