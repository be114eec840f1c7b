// Audio output: a device that plays PCM and asks the program for every next
// piece of sound on a thread of its own.
//
//   closed -> Open(format, frames, source) (held, FillAudio not called yet)
//          -> SetPaused(false): the output thread calls FillAudio again and
//             again, in playing order
//          -> SetPaused(true) holds it, SetPaused(false) releases it
//          -> Close(): returns once FillAudio has returned for the last time
//
// Samples are interleaved; 8-bit samples are unsigned (silence 128), 16-bit
// samples signed little-endian (silence 0). FillAudio must write every byte
// it is given; it runs on the output's thread and should neither allocate
// nor wait for long. The program must not call SetPaused or Close while it
// holds a lock that FillAudio takes: both wait for a running FillAudio.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Service.h"

namespace platform {

struct AudioFormat {
  int rate = 22050;   // sample frames per second
  int channels = 1;
  int bits = 16;      // 8 or 16
};

class AudioSource {
 public:
  virtual ~AudioSource() = default;
  // The next `size` bytes of sound, called on the output's thread.
  virtual void FillAudio(std::uint8_t* out, std::size_t size) = 0;
};

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;

  // Opens the default output for `format`, held (paused). `frames` is the
  // preferred number of sample frames per FillAudio call; the output may
  // ask for other sizes. False when there is no output, the format is not
  // playable or one is already open; LastError then says why.
  virtual bool Open(const AudioFormat& format, int frames, AudioSource* source) = 0;
  // Holds (true) or releases (false) the output; false when none is open.
  virtual bool SetPaused(bool paused) = 0;
  // Stops the output thread and closes the output; nothing when none is open.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual std::string LastError() const = 0;
};

template <>
AudioOutput& Service<AudioOutput>::Default();

}  // namespace platform
