// Feeds arbitrary bytes to the WAV reader (compressed formats go on to
// SDL's decoder), then converts what loaded to the formats the sound
// device plays and reads every byte of the result.
#include <cstddef>
#include <cstdint>

#include "assets/WaveSound.h"
#include "core/Error.h"

namespace {

unsigned Sum(const velmora::TWaveSound& wave) {
  unsigned sum = 0;
  for (std::int32_t i = 0; i < wave.DataSize(); ++i) sum += wave.Data()[i];
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmora::TWaveSound wave("fuzz.wav");
  velmora::TCustomMemoryStream stream(std::span<const std::uint8_t>(data, size));
  unsigned sum = 0;
  try {
    wave.LoadFromStream(stream);
  } catch (const velmora::Error&) {
    return 0;
  }
  sum += Sum(wave);
  if (const velmora::TWaveFormat* format = wave.WaveFormat())
    for (std::uint8_t b : format->Extra) sum += b;
  // The device's formats: mono 22050 Hz 16-bit (its default), then
  // stereo 44100 Hz 8-bit from that.
  try {
    wave.ConvertTo(1, 22050, 16);
    sum += Sum(wave);
    wave.ConvertTo(2, 44100, 8);
    sum += Sum(wave);
  } catch (const velmora::Error&) {
  }
  volatile unsigned sink = sum;
  (void)sink;
  return 0;
}
