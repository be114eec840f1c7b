// Floating-point pictures of the generator.
//
// A TImage holds one (grey, coverage, alpha) or three (red, green, blue)
// channels of floats, nominally 0..1, rows from the top down as they are
// written to JPEG. Coordinates wrap where a texture must tile: Wrap,
// Sample and BlurWrap treat the picture as a torus.
//
//   TImage sand(512, 512, 3);
//   sand.SetRgb(x, y, TRgb{0.8f, 0.7f, 0.5f});
//   sand.BlurWrap(0.7);
//   std::vector<std::uint8_t> bytes = sand.Bytes();   // 8-bit, rounded
#pragma once

#include <cstdint>
#include <vector>

namespace velmora::gen {

struct TRgb {
  float R = 0, G = 0, B = 0;
};

inline TRgb operator+(TRgb a, TRgb b) { return {a.R + b.R, a.G + b.G, a.B + b.B}; }
inline TRgb operator-(TRgb a, TRgb b) { return {a.R - b.R, a.G - b.G, a.B - b.B}; }
inline TRgb operator*(TRgb a, float s) { return {a.R * s, a.G * s, a.B * s}; }
inline TRgb operator*(TRgb a, TRgb b) { return {a.R * b.R, a.G * b.G, a.B * b.B}; }
inline TRgb Mix(TRgb a, TRgb b, float t) { return a + (b - a) * t; }
// A colour given as 0..255 bytes.
inline TRgb Bytes3(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }

float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float x);

class TImage {
 public:
  TImage() = default;
  TImage(int width, int height, int channels, float fill = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Channels() const { return channels_; }

  float& At(int x, int y, int c = 0) { return data_[Index(x, y, c)]; }
  float At(int x, int y, int c = 0) const { return data_[Index(x, y, c)]; }
  // Periodic access: any x, y.
  float Wrap(int x, int y, int c = 0) const;
  // Bilinear sample at pixel coordinates (pixel centres at i + 0.5), periodic.
  float Sample(double x, double y, int c = 0) const;

  TRgb Rgb(int x, int y) const { return {At(x, y, 0), At(x, y, 1), At(x, y, 2)}; }
  void SetRgb(int x, int y, TRgb c);
  void Fill(float value);
  void FillRgb(TRgb c);

  // Separable Gaussian blur; BlurWrap keeps the picture tileable, BlurClamp
  // repeats the edge pixels.
  void BlurWrap(double sigma);
  void BlurClamp(double sigma);

  // One channel as a grey picture.
  TImage Channel(int c) const;
  // Paints colour over a three-channel picture where coverage (one channel,
  // same size) is above 0: value * (1 - a) + colour * a.
  void Blend(const TImage& coverage, TRgb colour, float opacity = 1.0f);
  // Half the size in each direction, 2x2 box average.
  TImage Half() const;

  // 8-bit samples, rounded and clamped, channels interleaved, rows top-down.
  std::vector<std::uint8_t> Bytes() const;

 private:
  std::size_t Index(int x, int y, int c) const {
    return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) *
               static_cast<std::size_t>(channels_) +
           static_cast<std::size_t>(c);
  }
  void Blur(double sigma, bool wrap);

  int width_ = 0, height_ = 0, channels_ = 0;
  std::vector<float> data_;
};

}  // namespace velmora::gen
