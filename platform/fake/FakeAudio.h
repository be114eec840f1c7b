// An audio output without a thread: the test pulls the sound the program
// makes, buffer by buffer, on its own thread, and sees every call.
//
//   FakeAudioOutput output;
//   platform::ScopedService<platform::AudioOutput> installed{&output};
//   ... the program opens it and releases it ...
//   std::vector<uint8_t> next = output.Pull(256);   // runs FillAudio now
//
// A held (paused) or closed output gives silence without asking the
// program, as a real device does.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Audio.h"

namespace platform {

class FakeAudioOutput : public AudioOutput {
 public:
  bool Open(const AudioFormat& format, int frames, AudioSource* source) override;
  bool SetPaused(bool paused) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  std::string LastError() const override { return error; }

  bool Paused() const { return paused_; }
  // `size` bytes of output: FillAudio's while open and released, else the
  // silence of the last format opened (0, or 128 for 8 bits).
  std::vector<std::uint8_t> Pull(std::size_t size);
  // The same into the caller's buffer.
  void Pull(std::uint8_t* out, std::size_t size);

  // Scripted answers.
  bool openSucceeds = true;
  bool pauseSucceeds = true;
  std::string error = "no audio device";

  // What the program did.
  AudioFormat format;        // of the last Open
  int frames = 0;            // of the last Open
  int opens = 0;             // successful ones
  int closes = 0;
  std::vector<bool> pauses;  // every SetPaused request on an open output

 private:
  AudioSource* source_ = nullptr;
  bool open_ = false;
  bool paused_ = true;
};

}  // namespace platform
