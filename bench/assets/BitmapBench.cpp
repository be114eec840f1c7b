// Decoding textures: a 1024 x 1024 JPEG (the largest texture the scene
// uses unchanged) and the same picture as a 24-bit bitmap file, and fitting
// a 1280 x 960 picture to 1024 x 512.
#include <benchmark/benchmark.h>

#include <random>

#include "app/ImageWriter.h"
#include "assets/Bitmap.h"

namespace {

// Smooth gradients with some noise: compresses like a photograph.
velmora::TBitmap24 Picture(int width, int height) {
  std::mt19937 random(42);
  velmora::TBitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      row[x * 3] = std::uint8_t((x + y) / 8 + random() % 16);
      row[x * 3 + 1] = std::uint8_t(y / 4 + random() % 16);
      row[x * 3 + 2] = std::uint8_t(x / 4 + random() % 16);
    }
  }
  return picture;
}

void DecodeJpeg1024(benchmark::State& state) {
  velmora::TJpegWriter writer;
  writer.Assign(Picture(1024, 1024));
  const std::vector<std::uint8_t> file = writer.Encode();
  for (auto _ : state) {
    velmora::TBitmap bitmap = velmora::TBitmap::DecodeJpeg(file.data(), file.size(), "bench.jpg");
    benchmark::DoNotOptimize(bitmap.Pixels().data());
  }
  state.counters["file_kb"] = double(file.size()) / 1024;
  state.SetBytesProcessed(std::int64_t(state.iterations()) * 1024 * 1024 * 3);
}
BENCHMARK(DecodeJpeg1024)->Unit(benchmark::kMillisecond);

void DecodeBmp1024(benchmark::State& state) {
  const std::vector<std::uint8_t> file = Picture(1024, 1024).EncodeBitmap();
  for (auto _ : state) {
    velmora::TBitmap bitmap = velmora::TBitmap::DecodeBmp(file.data(), file.size(), "bench.bmp");
    benchmark::DoNotOptimize(bitmap.Pixels().data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * 1024 * 1024 * 3);
}
BENCHMARK(DecodeBmp1024)->Unit(benchmark::kMillisecond);

void Fit1280x960(benchmark::State& state) {
  const velmora::TBitmap24 picture = Picture(1280, 960);
  const std::vector<std::uint8_t> file = picture.EncodeBitmap();
  const velmora::TBitmap source = velmora::TBitmap::DecodeBmp(file.data(), file.size(), "bench.bmp");
  for (auto _ : state) {
    velmora::TBitmap fitted = source.FitPowerOfTwo();
    benchmark::DoNotOptimize(fitted.Pixels().data());
  }
}
BENCHMARK(Fit1280x960)->Unit(benchmark::kMillisecond);

}  // namespace
