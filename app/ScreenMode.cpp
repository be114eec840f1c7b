#include "app/ScreenMode.h"

#include <cmath>

#include "app/GLDisplay.h"
#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

namespace {

// Sizes and depths are packed or compared in 16 bits; anything outside
// cannot be a mode of a display.
int ParseModeNumber(std::string_view text, const char* operation, const char* what, std::string_view whole) {
  std::optional<int64_t> v = ParseInt(text);
  if (!v || *v < 0 || *v > 0xFFFF)
    RaiseError("TScreenMode", operation, Format("No %s in \"%.*s\"", what, static_cast<int>(whole.size()), whole.data()));
  return static_cast<int>(*v);
}

}  // namespace

TScreenMode::TScreenMode(int width, int height, int depth) : colorDepth_(depth), screenSize_(PackSize(width, height)) {}

int TScreenMode::PackSize(int width, int height) {
  return static_cast<int>(((static_cast<uint32_t>(width) & 0xFFFFu) << 16) | (static_cast<uint32_t>(height) & 0xFFFFu));
}

std::string TScreenMode::DepthName(int depth) {
  if (depth == 16) return "High Color(16 bit)";
  if (depth == 32) return "True Color(32 bit)";
  return Format("%.0f Color(%d bit)", std::round(std::pow(2.0, depth)), depth);
}

void TScreenMode::SetColorDepth(int depth) { SetMode(Width(), Height(), depth); }

void TScreenMode::SetScreenSize(int packed) {
  screenSize_ = packed;
  Changed();
}

void TScreenMode::SetMode(int width, int height, int depth) {
  colorDepth_ = depth;
  screenSize_ = PackSize(width, height);
  Changed();
}

void TScreenMode::SetSize(int width, int height) {
  screenSize_ = PackSize(width, height);
  Changed();
}

void TScreenMode::Assign(const TScreenMode& source) {
  if (&source == this) return;
  colorDepth_ = source.colorDepth_;
  screenSize_ = source.screenSize_;
  Changed();
}

void TScreenMode::SetColorDepthName(std::string_view text) {
  if (text == "High Color(16 bit)") {
    colorDepth_ = 16;
  } else if (text == "True Color(32 bit)") {
    colorDepth_ = 32;
  } else {
    // "<colours> Color(<depth> bit)": the depth runs from after the "(" to
    // the blank before "bit".
    size_t open = text.find('(');
    size_t b = text.find('b');
    if (open == std::string_view::npos || b == std::string_view::npos || b < open + 2)
      RaiseError("TScreenMode", "SetColorDepthName",
                 Format("No colour depth in \"%.*s\"", static_cast<int>(text.size()), text.data()));
    colorDepth_ = ParseModeNumber(text.substr(open + 1, b - 1 - (open + 1)), "SetColorDepthName", "colour depth", text);
  }
  Changed();
}

std::string TScreenMode::SizeText() const { return Format("%dx%d", Width(), Height()); }

void TScreenMode::SetSizeText(std::string_view text) {
  size_t x = text.find('x');
  if (x == std::string_view::npos)
    RaiseError("TScreenMode", "SetSizeText", Format("No screen size in \"%.*s\"", static_cast<int>(text.size()), text.data()));
  int width = ParseModeNumber(text.substr(0, x), "SetSizeText", "width", text);
  int height = ParseModeNumber(text.substr(x + 1), "SetSizeText", "height", text);
  SetSize(width, height);
}

std::string TScreenMode::ModeText() const { return Format("%dx%dx%d", Width(), Height(), colorDepth_); }

void TScreenMode::SetModeText(std::string_view text) {
  size_t x1 = text.find('x');
  size_t x2 = x1 == std::string_view::npos ? x1 : text.find('x', x1 + 1);
  if (x2 == std::string_view::npos)
    RaiseError("TScreenMode", "SetModeText", Format("No screen mode in \"%.*s\"", static_cast<int>(text.size()), text.data()));
  int width = ParseModeNumber(text.substr(0, x1), "SetModeText", "width", text);
  int height = ParseModeNumber(text.substr(x1 + 1, x2 - x1 - 1), "SetModeText", "height", text);
  int depth = ParseModeNumber(text.substr(x2 + 1), "SetModeText", "colour depth", text);
  colorDepth_ = depth;
  SetSize(width, height);
}

// TFullScreenMode

TFullScreenMode::TFullScreenMode(TCustomDisplayControl* display) : TScreenMode(640, 480, 16), display_(display) {}

void TFullScreenMode::Changed() {
  if (!display_ || display_->Designing()) return;
  const TColorDepthModes& depths = display_->ColorDepthModes();
  if (depths.Count() == 0) return;
  int i = depths.IndexOf(ColorDepth());
  if (i < 0) i = 0;
  const TColorDepthMode& entry = depths.Item(i);
  StoreColorDepth(entry.ColorDepth);
  if (entry.ScreenModes.Count() == 0) return;
  if (entry.ScreenModes.IndexOf(Width(), Height(), ColorDepth()) < 0) {
    const TScreenMode& first = entry.ScreenModes.Item(0);
    SetSize(first.Width(), first.Height());  // validates again, and then holds
  }
}

// TScreenModes

int TScreenModes::IndexOf(int width, int height, int depth) const {
  int packed = TScreenMode::PackSize(width, height);
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->ScreenSize() == packed && items_[i]->ColorDepth() == depth) return static_cast<int>(i);
  return -1;
}

int TScreenModes::Add(int width, int height, int depth) {
  int i = IndexOf(width, height, depth);
  if (i >= 0) return i;
  items_.push_back(std::make_unique<TScreenMode>(width, height, depth));
  return Count() - 1;
}

TScreenMode& TScreenModes::Item(int index) const {
  if (index < 0 || index >= Count())
    RaiseError("TScreenModes", "GetItem", Format("Index %d out of bounds (%d modes)", index, Count()));
  return *items_[static_cast<size_t>(index)];
}

// TColorDepthModes

int TColorDepthModes::IndexOf(int depth) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->ColorDepth == depth) return static_cast<int>(i);
  return -1;
}

int TColorDepthModes::Add(int depth) {
  int i = IndexOf(depth);
  if (i >= 0) return i;
  items_.push_back(std::make_unique<TColorDepthMode>(depth));
  return Count() - 1;
}

TColorDepthMode& TColorDepthModes::Item(int index) const {
  if (index < 0 || index >= Count())
    RaiseError("TColorDepthModes", "GetItem", Format("Index %d out of bounds (%d depths)", index, Count()));
  return *items_[static_cast<size_t>(index)];
}

}  // namespace velmora
