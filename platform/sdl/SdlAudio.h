// Audio output through SDL's audio device.
//
// Each Open starts SDL's audio subsystem (which reads SDL_AUDIODRIVER then)
// and each Close ends it again, so a later Open may pick another driver.
// The device is opened without allowing SDL to change the format: SDL
// converts to what the hardware takes, and FillAudio always gets the format
// asked for. SDL's callback runs FillAudio with SDL's device lock held;
// SetPaused and Close take that lock.
//
// Without a sound device the program runs silent: the first failed Open
// says so once on standard error, in the program's words, and the sound
// library's own error printing (ALSA's, which SDL probes) is silenced.
#pragma once

#include <SDL.h>

#include <string>

#include "platform/Audio.h"

namespace platform {

class SdlAudioOutput : public AudioOutput {
 public:
  ~SdlAudioOutput() override;

  bool Open(const AudioFormat& format, int frames, AudioSource* source) override;
  bool SetPaused(bool paused) override;
  void Close() override;
  bool IsOpen() const override { return device_ != 0; }
  std::string LastError() const override { return error_; }

 private:
  static void Callback(void* self, Uint8* stream, int len);
  // Records SDL's error; the first time, tells the user the program runs
  // silent. Always false.
  bool Failed();

  SDL_AudioDeviceID device_ = 0;
  AudioSource* source_ = nullptr;
  std::string error_;
  bool silentSaid_ = false;
};

}  // namespace platform
