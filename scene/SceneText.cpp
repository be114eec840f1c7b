#include "scene/SceneText.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/ResourceLoader.h"
#include "scene/SceneFont.h"

namespace velmora {

// --- TSceneBaseText ---------------------------------------------------------

TSceneBaseText::TSceneBaseText() { Alpha = true; }

void TSceneBaseText::SetPosition(int32_t x, int32_t y) {
  X = x;
  Y = y;
}

void TSceneBaseText::ReadProperties(TResourceLoader& loader) {
  TMainSceneObject::ReadProperties(loader);
  Color = loader.ReadColorBytes("Color", Color);
  X = loader.ReadInteger("X", X);
  Y = loader.ReadInteger("Y", Y);
  Font = loader.ReadReferenceAs<TSceneFont>("Font", Font);
  Enable3D = loader.ReadBool("Enable3D", Enable3D);
}

void TSceneBaseText::WriteProperties(TResourceLoader& loader) {
  TMainSceneObject::WriteProperties(loader);
  loader.WriteColorBytes("Color", Color);
  loader.WriteInteger("X", X);
  loader.WriteInteger("Y", Y);
  if (Font) loader.WriteReference("Font", Font);
  loader.WriteBool("Enable3D", Enable3D);
}

// --- TSceneString -----------------------------------------------------------

void TSceneString::RenderTransparent() {
  if (!Font) return;
  Font->BeginDraw();
  Font->Color = Color;
  Font->DrawText(X, Y, Text);
  Font->EndDraw();
}

void TSceneString::ReadProperties(TResourceLoader& loader) {
  TSceneBaseText::ReadProperties(loader);
  Text = loader.ReadString("Text", Text);
}

void TSceneString::WriteProperties(TResourceLoader& loader) {
  TSceneBaseText::WriteProperties(loader);
  if (!Text.empty()) loader.WriteString("Text", Text);
}

// --- TSceneText -------------------------------------------------------------

TSceneText::TSceneText() : StringColor(Color) {}

TGLColorBytes TSceneText::PulsedColor() const {
  const float factor = Phase < 0.5f ? 0.8f + 0.4f * Phase : 1.0f - 0.4f * (Phase - 0.5f);
  auto pulse = [factor](uint8_t c) {
    const long value = std::lround(static_cast<float>(c) * factor);
    return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
  };
  return TGLColorBytes{pulse(StringColor.r), pulse(StringColor.g), pulse(StringColor.b), StringColor.a};
}

void TSceneText::Animate(float deltaTime) {
  Phase += deltaTime;
  if (Phase >= 1.0f || Phase < 0.0f) Phase -= std::floor(Phase);
  // A non-finite step (a broken clock) starts the pulse over.
  if (!(Phase >= 0.0f && Phase < 1.0f)) Phase = 0.0f;
}

double TSceneText::LineStep(const TSceneFont& font) {
  if (!(font.FontOptions & foScaled)) return font.FontCellSize;
  const double step = std::round(static_cast<double>(font.FontCellSize) * static_cast<double>(font.ScaleY));
  return std::isfinite(step) ? step : 0.0;
}

int32_t TSceneText::LineY(int32_t y, double step, size_t line) {
  const double pen = static_cast<double>(y) - step * static_cast<double>(line);
  constexpr double low = std::numeric_limits<int32_t>::min(), high = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(pen, low, high));
}

void TSceneText::RenderTransparent() {
  if (!Font) return;
  Font->BeginDraw();
  // In doubles, each pen position brought into range: Y and the cell size
  // come from the description and may be anything 32 bits hold.
  const double step = LineStep(*Font);
  for (size_t i = 0; i < Lines.size(); ++i) {
    Font->Color = static_cast<int32_t>(i) == StringIndex ? PulsedColor() : Color;
    Font->DrawText(X, LineY(Y, step, i), Lines[i]);
  }
  Font->EndDraw();
}

void TSceneText::ReadProperties(TResourceLoader& loader) {
  TSceneBaseText::ReadProperties(loader);
  StringColor = loader.ReadColorBytes("StringColor", StringColor);
  StringIndex = loader.ReadInteger("StringIndex", StringIndex);
  // The lines of the description replace any there are.
  Lines.clear();
  for (int i = 1;; ++i) {
    std::string line = loader.ReadString("Text" + std::to_string(i), "");
    if (line.empty()) break;
    Lines.push_back(std::move(line));
  }
}

void TSceneText::WriteProperties(TResourceLoader& loader) {
  TSceneBaseText::WriteProperties(loader);
  loader.WriteColorBytes("StringColor", StringColor);
  loader.WriteInteger("StringIndex", StringIndex);
  for (size_t i = 0; i < Lines.size(); ++i) loader.WriteString("Text" + std::to_string(i + 1), Lines[i]);
}

}  // namespace velmora
