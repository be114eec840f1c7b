#include "platform/sdl/SdlAudio.h"

namespace platform {

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
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error_ = SDL_GetError();
    return false;
  }
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
    error_ = SDL_GetError();
    source_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  error_.clear();
  return true;
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
