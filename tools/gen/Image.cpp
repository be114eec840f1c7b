#include "tools/gen/Image.h"

#include <algorithm>
#include <cmath>

#include "core/Error.h"

namespace velmora::gen {

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float SmoothStep(float edge0, float edge1, float x) {
  float t = Clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

namespace {

int Mod(int a, int n) {
  int r = a % n;
  return r < 0 ? r + n : r;
}

}  // namespace

TImage::TImage(int width, int height, int channels, float fill)
    : width_(width), height_(height), channels_(channels) {
  if (width <= 0 || height <= 0 || channels <= 0 || channels > 4)
    RaiseError("TImage", "Create", "bad size " + std::to_string(width) + "x" + std::to_string(height));
  data_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(channels),
               fill);
}

float TImage::Wrap(int x, int y, int c) const { return At(Mod(x, width_), Mod(y, height_), c); }

float TImage::Sample(double x, double y, int c) const {
  double fx = x - 0.5, fy = y - 0.5;
  double x0 = std::floor(fx), y0 = std::floor(fy);
  float tx = static_cast<float>(fx - x0), ty = static_cast<float>(fy - y0);
  int ix = static_cast<int>(x0), iy = static_cast<int>(y0);
  float a = Wrap(ix, iy, c), b = Wrap(ix + 1, iy, c);
  float d = Wrap(ix, iy + 1, c), e = Wrap(ix + 1, iy + 1, c);
  return (a + (b - a) * tx) * (1 - ty) + (d + (e - d) * tx) * ty;
}

void TImage::SetRgb(int x, int y, TRgb c) {
  At(x, y, 0) = c.R;
  At(x, y, 1) = c.G;
  At(x, y, 2) = c.B;
}

void TImage::Fill(float value) { std::fill(data_.begin(), data_.end(), value); }

void TImage::FillRgb(TRgb c) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) SetRgb(x, y, c);
}

void TImage::BlurWrap(double sigma) { Blur(sigma, true); }
void TImage::BlurClamp(double sigma) { Blur(sigma, false); }

void TImage::Blur(double sigma, bool wrap) {
  if (sigma <= 0) return;
  int radius = std::max(1, static_cast<int>(std::ceil(sigma * 3)));
  std::vector<float> kernel(static_cast<std::size_t>(2 * radius + 1));
  double sum = 0;
  for (int i = -radius; i <= radius; ++i) {
    double w = std::exp(-(i * i) / (2 * sigma * sigma));
    kernel[static_cast<std::size_t>(i + radius)] = static_cast<float>(w);
    sum += w;
  }
  for (float& k : kernel) k = static_cast<float>(k / sum);
  auto pick = [&](int i, int n) { return wrap ? Mod(i, n) : std::clamp(i, 0, n - 1); };
  std::vector<float> line;
  for (int c = 0; c < channels_; ++c) {
    line.resize(static_cast<std::size_t>(width_));
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        float v = 0;
        for (int i = -radius; i <= radius; ++i) v += kernel[static_cast<std::size_t>(i + radius)] * At(pick(x + i, width_), y, c);
        line[static_cast<std::size_t>(x)] = v;
      }
      for (int x = 0; x < width_; ++x) At(x, y, c) = line[static_cast<std::size_t>(x)];
    }
    line.resize(static_cast<std::size_t>(height_));
    for (int x = 0; x < width_; ++x) {
      for (int y = 0; y < height_; ++y) {
        float v = 0;
        for (int i = -radius; i <= radius; ++i) v += kernel[static_cast<std::size_t>(i + radius)] * At(x, pick(y + i, height_), c);
        line[static_cast<std::size_t>(y)] = v;
      }
      for (int y = 0; y < height_; ++y) At(x, y, c) = line[static_cast<std::size_t>(y)];
    }
  }
}

TImage TImage::Channel(int c) const {
  TImage out(width_, height_, 1);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) out.At(x, y) = At(x, y, c);
  return out;
}

void TImage::Blend(const TImage& coverage, TRgb colour, float opacity) {
  if (coverage.Width() != width_ || coverage.Height() != height_ || channels_ < 3)
    RaiseError("TImage", "Blend", "coverage does not match the picture");
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      float a = coverage.At(x, y) * opacity;
      if (a <= 0) continue;
      SetRgb(x, y, Mix(Rgb(x, y), colour, Clamp01(a)));
    }
}

TImage TImage::Half() const {
  TImage out(std::max(1, width_ / 2), std::max(1, height_ / 2), channels_);
  for (int y = 0; y < out.height_; ++y)
    for (int x = 0; x < out.width_; ++x)
      for (int c = 0; c < channels_; ++c)
        out.At(x, y, c) = 0.25f * (Wrap(2 * x, 2 * y, c) + Wrap(2 * x + 1, 2 * y, c) + Wrap(2 * x, 2 * y + 1, c) +
                                   Wrap(2 * x + 1, 2 * y + 1, c));
  return out;
}

std::vector<std::uint8_t> TImage::Bytes() const {
  std::vector<std::uint8_t> out(data_.size());
  for (std::size_t i = 0; i < data_.size(); ++i)
    out[i] = static_cast<std::uint8_t>(std::lround(Clamp01(data_[i]) * 255.0f));
  return out;
}

}  // namespace velmora::gen
