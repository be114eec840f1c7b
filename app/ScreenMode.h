// Screen modes as the settings keep them, and the accepted modes grouped by
// colour depth for the settings dialog.
//
// A mode is a colour depth and a packed screen size: width in the upper 16
// bits, height in the lower 16 (640 x 480 is 41943520). Its text forms:
//   depth name  "High Color(16 bit)", "True Color(32 bit)", "256 Color(8 bit)"
//   size text   "640x480"
//   mode text   "640x480x16"
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class TCustomDisplayControl;

class TScreenMode {
 public:
  TScreenMode() = default;
  TScreenMode(int width, int height, int depth);
  virtual ~TScreenMode() = default;
  TScreenMode(const TScreenMode&) = delete;
  TScreenMode& operator=(const TScreenMode&) = delete;

  int ColorDepth() const { return colorDepth_; }
  int ScreenSize() const { return screenSize_; }
  int Width() const { return static_cast<int>(static_cast<uint32_t>(screenSize_) >> 16); }
  int Height() const { return screenSize_ & 0xFFFF; }

  // Each setter stores, then calls Changed once.
  void SetColorDepth(int depth);  // through SetMode, keeping the size
  void SetScreenSize(int packed);
  void SetMode(int width, int height, int depth);
  void SetSize(int width, int height);  // keeps the depth

  // Copies depth and size, then Changed once.
  void Assign(const TScreenMode& source);

  // Text forms. The setters raise "TScreenMode.Set... error: ..." for a
  // text without the numbers it must hold.
  std::string ColorDepthName() const { return DepthName(colorDepth_); }
  void SetColorDepthName(std::string_view text);
  std::string SizeText() const;
  void SetSizeText(std::string_view text);
  std::string ModeText() const;
  void SetModeText(std::string_view text);

  static int PackSize(int width, int height);
  // "High Color(16 bit)", "True Color(32 bit)", else "<2^d> Color(<d> bit)".
  static std::string DepthName(int depth);

 protected:
  // A depth or size has changed; a full-screen mode validates itself here.
  virtual void Changed() {}
  // Store without Changed (validation sets the fields it corrects).
  void StoreColorDepth(int depth) { colorDepth_ = depth; }
  void StoreScreenSize(int packed) { screenSize_ = packed; }

 private:
  int colorDepth_ = 0;
  int screenSize_ = 0;
};

// The chosen full-screen mode: corrects itself to a mode the display
// offers whenever it changes (once the display has listed its modes).
class TFullScreenMode : public TScreenMode {
 public:
  explicit TFullScreenMode(TCustomDisplayControl* display);
  TCustomDisplayControl* Display() const { return display_; }

 protected:
  void Changed() override;

 private:
  TCustomDisplayControl* display_;
};

// Owning list of modes in insertion order.
class TScreenModes {
 public:
  int IndexOf(int width, int height, int depth) const;
  // Appends when absent; the index of the existing or new mode.
  int Add(int width, int height, int depth);
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises "TScreenModes.GetItem error: ..." for an index out of range.
  TScreenMode& Item(int index) const;

 private:
  std::vector<std::unique_ptr<TScreenMode>> items_;
};

struct TColorDepthMode {
  explicit TColorDepthMode(int depth) : ColorDepth(depth) {}
  int ColorDepth;
  TScreenModes ScreenModes;
};

// Owning list of depths in insertion order.
class TColorDepthModes {
 public:
  int IndexOf(int depth) const;
  // The index of the existing or new entry.
  int Add(int depth);
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises "TColorDepthModes.GetItem error: ..." for an index out of range.
  TColorDepthMode& Item(int index) const;

 private:
  std::vector<std::unique_ptr<TColorDepthMode>> items_;
};

}  // namespace velmora
