// The dialog toolkit of the settings windows: a Dear ImGui context fed
// from the program's own window messages and drawn through the program's
// OpenGL entry-point table.
//
// Input comes from the messages of the application's render window (its
// OnInput), after the screen-saver exit rules have seen them, so fake
// event sources drive the dialogs in tests just as SDL does in the program.
// Keys are the virtual-key codes of platform/KeyCodes.h; Tab and Shift+Tab
// (as Down and Up), the arrows, Space and Enter move between and work the
// controls (keyboard navigation is on); no key starts typing in a control
// that is not a text box.
//
// Drawing uses only OpenGL 1.1 (client vertex arrays, one texture for the
// font atlas) and saves and restores every state it touches (attribute and
// client-attribute stacks, the three matrices), so the scene's render-state
// cache stays true across the dialog's drawing.
//
// Lifecycle:
//
//   made with a scale (1 = 100 %) -> fonts rasterised from the system's
//   sans face (fontconfig; ImGui's own font when none) -> per frame:
//   NewFrame(width, height, seconds) -> the widgets -> Render (the font
//   texture uploaded with the first Render of a rendering context) ->
//   ReleaseGL when the context goes (the next Render uploads again) ->
//   freed (the ImGui context with it).
//
// Errors: none of its own; a font file the rasteriser names but ImGui
// cannot read falls back to ImGui's font.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Events.h"
#include "platform/KeyCodes.h"

struct ImGuiContext;
struct ImFont;

namespace velmora {

// The settings form's blue-green, 0x00BBGGRR: red 45, green 190, blue 219.
constexpr uint32_t clSettingsForm = 0xDBBE2D;

class TDialogGui {
 public:
  // The context, its style for the scale, its fonts.
  explicit TDialogGui(float scale = 1.0f);
  ~TDialogGui();
  TDialogGui(const TDialogGui&) = delete;
  TDialogGui& operator=(const TDialogGui&) = delete;

  // How much larger than at 96 DPI everything is drawn.
  float Scale() const { return scale_; }
  // A length of the 96-DPI layout in pixels at this scale.
  float Px(float length) const { return length * scale_; }

  // The fonts: text, bold labels, the about box's title.
  ImFont* Regular() const { return regular_; }
  ImFont* Bold() const { return bold_; }
  ImFont* Title() const { return title_; }
  // The file of the text font; empty for ImGui's own.
  const std::string& FontFile() const { return fontFile_; }

  // Feeds one window message; true when it was input for the dialog.
  bool Input(const platform::Message& message);
  // Lets go of every key and button held (the window lost the input).
  void ReleaseInput();

  // Makes this the current ImGui context and opens a frame of width x
  // height pixels, deltaTime seconds after the previous one.
  void NewFrame(int width, int height, float deltaTime);
  // Closes the frame; draws it when a rendering context is current (the
  // font texture is made first when needed).
  void Render(bool draw = true);
  // The rendering context went: the font texture is gone with it. Within
  // an open frame the font atlas keeps its texture id until Render (ImGui
  // allows no change of it mid-frame); Render then draws the frame with the
  // font texture of the context current then.
  void ReleaseGL(bool contextCurrent);
  // The font texture's OpenGL name, 0 when there is none.
  uint32_t FontTexture() const { return fontTexture_; }

  ImGuiContext* Context() const { return context_; }

 private:
  void LoadFonts();
  void Draw();

  ImGuiContext* context_ = nullptr;
  float scale_ = 1.0f;
  ImFont* regular_ = nullptr;
  ImFont* bold_ = nullptr;
  ImFont* title_ = nullptr;
  std::string fontFile_;
  uint32_t fontTexture_ = 0;
  // A frame is open (NewFrame without Render yet); the atlas's texture id
  // the open frame's commands carry; the font texture went in the frame.
  bool frameOpen_ = false;
  void* frameFontId_ = nullptr;
  bool fontReleasedInFrame_ = false;
  // Buttons (bits) and keys pressed since the last frame, released before
  // a frame saw the press, and released to let go before the next frame.
  unsigned unseenButtons_ = 0, releasedButtons_ = 0, readyButtons_ = 0;
  std::vector<int> unseenKeys_, releasedKeys_, readyKeys_;
  // The arrow the Tab key held down stands for.
  int tabKey_ = platform::vkUp;
};

}  // namespace velmora
