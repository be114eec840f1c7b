#include "gl/DialogGui.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>

#include "gl/GLEntryPoints.h"
#include "platform/FontRasterizer.h"
#include "platform/KeyCodes.h"
#include "platform/Service.h"

namespace velmora {

namespace {

using platform::MessageKind;

using platform::vkBack, platform::vkDelete, platform::vkDown, platform::vkEnd, platform::vkEscape, platform::vkHome,
    platform::vkInsert, platform::vkLeft, platform::vkNext, platform::vkPrior, platform::vkReturn, platform::vkRight,
    platform::vkSpace, platform::vkTab, platform::vkUp;

// Text size of the layout at 100 %, in pixels.
constexpr float kFontSize = 13.0f;
constexpr float kTitleSize = 21.0f;

ImVec4 Rgb(int r, int g, int b, float a = 1.0f) { return ImVec4(r / 255.0f, g / 255.0f, b / 255.0f, a); }
ImVec4 Rgb(uint32_t c) { return Rgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

// The settings windows' look: the form colour (clSettingsForm) behind the
// controls, the list colour (190, 244, 255) in lists and boxes, black text.
void ApplyStyle(float scale) {
  ImGuiStyle& style = ImGui::GetStyle();
  style = ImGuiStyle();
  style.WindowRounding = 0;
  style.ChildRounding = 0;
  style.FrameRounding = 2;
  style.PopupRounding = 0;
  style.GrabRounding = 2;
  style.WindowBorderSize = 1;
  style.ChildBorderSize = 1;
  style.FrameBorderSize = 1;
  style.PopupBorderSize = 1;
  style.WindowPadding = ImVec2(6, 6);
  style.FramePadding = ImVec2(4, 3);
  style.ItemSpacing = ImVec2(6, 4);
  style.GrabMinSize = 10;
  style.WindowTitleAlign = ImVec2(0.0f, 0.5f);
  ImVec4* c = style.Colors;
  const ImVec4 form = Rgb(clSettingsForm), list = Rgb(190, 244, 255), dark = Rgb(0, 70, 110);
  c[ImGuiCol_Text] = Rgb(0, 0, 0);
  c[ImGuiCol_TextDisabled] = Rgb(70, 95, 105);
  c[ImGuiCol_WindowBg] = form;
  c[ImGuiCol_ChildBg] = Rgb(0, 0, 0, 0);
  c[ImGuiCol_PopupBg] = list;
  c[ImGuiCol_Border] = Rgb(0, 90, 130);
  c[ImGuiCol_BorderShadow] = Rgb(255, 255, 255, 0.35f);
  c[ImGuiCol_FrameBg] = list;
  c[ImGuiCol_FrameBgHovered] = Rgb(220, 251, 255);
  c[ImGuiCol_FrameBgActive] = Rgb(255, 255, 255);
  c[ImGuiCol_TitleBg] = Rgb(0, 110, 160);
  c[ImGuiCol_TitleBgActive] = Rgb(0, 110, 160);
  c[ImGuiCol_TitleBgCollapsed] = Rgb(0, 110, 160);
  c[ImGuiCol_CheckMark] = dark;
  c[ImGuiCol_SliderGrab] = dark;
  c[ImGuiCol_SliderGrabActive] = Rgb(0, 40, 70);
  c[ImGuiCol_Button] = Rgb(150, 225, 242);
  c[ImGuiCol_ButtonHovered] = Rgb(205, 245, 255);
  c[ImGuiCol_ButtonActive] = Rgb(110, 200, 225);
  c[ImGuiCol_Header] = Rgb(120, 210, 235);
  c[ImGuiCol_HeaderHovered] = Rgb(150, 225, 242);
  c[ImGuiCol_HeaderActive] = Rgb(110, 200, 225);
  c[ImGuiCol_Separator] = Rgb(0, 90, 130);
  c[ImGuiCol_NavHighlight] = Rgb(0, 40, 120);
  c[ImGuiCol_ModalWindowDimBg] = Rgb(0, 0, 0, 0.30f);
  c[ImGuiCol_ScrollbarBg] = Rgb(150, 225, 242);
  c[ImGuiCol_ScrollbarGrab] = Rgb(0, 110, 160);
  (void)form;
  style.ScaleAllSizes(scale);
}

// The file of the system's sans face in that style, empty when the
// rasteriser has none or names no file ImGui can read.
std::string SansFile(unsigned style) {
  try {
    std::unique_ptr<platform::RasterFont> font =
        platform::Get<platform::FontRasterizer>().Open("Sans", style, 16);
    if (!font) return {};
    std::error_code error;
    const std::string& file = font->FileName();
    if (file.empty() || !std::filesystem::is_regular_file(file, error)) return {};
    const std::string ext = std::filesystem::path(file).extension().string();
    if (ext != ".ttf" && ext != ".otf" && ext != ".TTF" && ext != ".OTF") return {};
    return file;
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

TDialogGui::TDialogGui(float scale) : scale_(scale > 0 ? scale : 1.0f) {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  context_ = ImGui::CreateContext();
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // no layout file beside the program
  io.LogFilename = nullptr;
  io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
  io.BackendPlatformName = "velmora-messages";
  io.BackendRendererName = "velmora-gl11";
  const int keys[][2] = {{ImGuiKey_Tab, -1},          {ImGuiKey_LeftArrow, vkLeft}, {ImGuiKey_RightArrow, vkRight},
                         {ImGuiKey_UpArrow, vkUp},    {ImGuiKey_DownArrow, vkDown}, {ImGuiKey_PageUp, vkPrior},
                         {ImGuiKey_PageDown, vkNext}, {ImGuiKey_Home, vkHome},      {ImGuiKey_End, vkEnd},
                         {ImGuiKey_Insert, vkInsert}, {ImGuiKey_Delete, vkDelete},  {ImGuiKey_Backspace, vkBack},
                         {ImGuiKey_Space, vkSpace},   {ImGuiKey_Enter, vkReturn},   {ImGuiKey_Escape, vkEscape},
                         {ImGuiKey_KeyPadEnter, vkReturn}, {ImGuiKey_A, 'A'},       {ImGuiKey_C, 'C'},
                         {ImGuiKey_V, 'V'},           {ImGuiKey_X, 'X'},            {ImGuiKey_Y, 'Y'},
                         {ImGuiKey_Z, 'Z'}};
  for (const auto& k : keys) io.KeyMap[k[0]] = k[1];
  ApplyStyle(scale_);
  LoadFonts();
  ImGui::SetCurrentContext(previous ? previous : context_);
}

TDialogGui::~TDialogGui() {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  ImGui::DestroyContext(context_);
  if (previous != context_) ImGui::SetCurrentContext(previous);
}

void TDialogGui::LoadFonts() {
  ImGuiIO& io = ImGui::GetIO();
  io.Fonts->Clear();
  fontFile_ = SansFile(0);
  const std::string boldFile = SansFile(platform::FontBold);
  ImFontConfig config;
  config.OversampleH = 2;
  config.OversampleV = 1;
  auto add = [&](const std::string& file, float size) -> ImFont* {
    ImFont* font = nullptr;
    if (!file.empty()) font = io.Fonts->AddFontFromFileTTF(file.c_str(), std::round(size * scale_), &config);
    if (!font) {
      ImFontConfig own;
      own.SizePixels = std::round(13.0f * std::max(1.0f, std::round(scale_)));
      font = io.Fonts->AddFontDefault(&own);
    }
    return font;
  };
  regular_ = add(fontFile_, kFontSize);
  bold_ = add(boldFile.empty() ? fontFile_ : boldFile, kFontSize);
  title_ = add(boldFile.empty() ? fontFile_ : boldFile, kTitleSize);
  // Built at once: frames can run without a rendering context (tests).
  unsigned char* pixels = nullptr;
  int width = 0, height = 0;
  io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
  io.FontDefault = regular_;
}

bool TDialogGui::Input(const platform::Message& m) {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  bool used = true;
  // A release whose press no frame has seen yet waits for the frame after
  // the one that sees the press, so a quick click is never lost.
  auto button = [&](int index, bool down) {
    io.MousePos = ImVec2(float(m.x), float(m.y));
    const unsigned bit = 1u << index;
    if (down) {
      io.MouseDown[index] = true;
      unseenButtons_ |= bit;
      releasedButtons_ &= ~bit;
    } else if (unseenButtons_ & bit) {
      releasedButtons_ |= bit;
    } else {
      io.MouseDown[index] = false;
    }
  };
  switch (m.kind) {
    case MessageKind::MouseMove: io.MousePos = ImVec2(float(m.x), float(m.y)); break;
    case MessageKind::LButtonDown:
    case MessageKind::LButtonDblClk: button(0, true); break;
    case MessageKind::LButtonUp: button(0, false); break;
    case MessageKind::RButtonDown:
    case MessageKind::RButtonDblClk: button(1, true); break;
    case MessageKind::RButtonUp: button(1, false); break;
    case MessageKind::MButtonDown:
    case MessageKind::MButtonDblClk: button(2, true); break;
    case MessageKind::MButtonUp: button(2, false); break;
    case MessageKind::MouseWheel: io.MouseWheel += float(int32_t(m.param)); break;
    case MessageKind::Char:
      if (m.key > 0) io.AddInputCharacter(static_cast<unsigned>(m.key));
      break;
    case MessageKind::KeyDown:
    case MessageKind::SysKeyDown:
    case MessageKind::KeyUp:
    case MessageKind::SysKeyUp: {
      const bool down = m.kind == MessageKind::KeyDown || m.kind == MessageKind::SysKeyDown;
      int key = m.key;
      // Tab moves the focus to the next control, Shift+Tab to the one
      // before, as the arrows do: ImGui's own tabbing only visits the
      // controls that take typed values and starts typing in them (a
      // slider would turn into an empty text box).
      if (key == vkTab) {
        if (down) tabKey_ = m.shift ? vkUp : vkDown;
        key = tabKey_;
      }
      if (key > 0 && key < 512) {
        if (down) {
          io.KeysDown[key] = true;
          unseenKeys_.push_back(key);
        } else if (std::find(unseenKeys_.begin(), unseenKeys_.end(), key) != unseenKeys_.end()) {
          releasedKeys_.push_back(key);
        } else {
          io.KeysDown[key] = false;
        }
      }
      io.KeyCtrl = m.ctrl || (down && m.key == platform::vkControl);
      io.KeyShift = m.shift || (down && m.key == platform::vkShift);
      io.KeyAlt = m.alt || (down && m.key == platform::vkMenu);
      break;
    }
    case MessageKind::Deactivate: ReleaseInput(); break;
    default: used = false; break;
  }
  if (previous != context_) ImGui::SetCurrentContext(previous);
  return used;
}

void TDialogGui::ReleaseInput() {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  for (bool& b : io.MouseDown) b = false;
  for (bool& k : io.KeysDown) k = false;
  io.KeyCtrl = io.KeyShift = io.KeyAlt = false;
  releasedButtons_ = readyButtons_ = unseenButtons_ = 0;
  releasedKeys_.clear();
  readyKeys_.clear();
  unseenKeys_.clear();
  if (previous != context_) ImGui::SetCurrentContext(previous);
}

void TDialogGui::NewFrame(int width, int height, float deltaTime) {
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize = ImVec2(float(std::max(width, 1)), float(std::max(height, 1)));
  io.DisplayFramebufferScale = ImVec2(1, 1);
  io.DeltaTime = deltaTime > 1e-4f ? deltaTime : 1e-4f;
  // Releases held back for a frame that has now seen their press.
  for (int b = 0; b < 5; ++b)
    if (readyButtons_ & (1u << b)) io.MouseDown[b] = false;
  for (int key : readyKeys_) io.KeysDown[key] = false;
  readyButtons_ = releasedButtons_;
  readyKeys_.swap(releasedKeys_);
  releasedButtons_ = 0;
  releasedKeys_.clear();
  ImGui::NewFrame();
  frameOpen_ = true;
  fontReleasedInFrame_ = false;
  frameFontId_ = io.Fonts->TexID;
  unseenButtons_ = 0;
  unseenKeys_.clear();
}

void TDialogGui::Render(bool draw) {
  ImGui::SetCurrentContext(context_);
  ImGui::Render();
  frameOpen_ = false;
  if (fontReleasedInFrame_) ImGui::GetIO().Fonts->SetTexID(nullptr);
  fontReleasedInFrame_ = false;
  if (draw && GL.glDrawElements && GL.glPushAttrib) Draw();
}

void TDialogGui::ReleaseGL(bool contextCurrent) {
  if (fontTexture_ != 0 && contextCurrent && GL.glDeleteTextures) {
    GLuint name = fontTexture_;
    GL.glDeleteTextures(1, &name);
  }
  fontTexture_ = 0;
  if (frameOpen_) {
    fontReleasedInFrame_ = true;
    return;
  }
  ImGuiContext* previous = ImGui::GetCurrentContext();
  ImGui::SetCurrentContext(context_);
  ImGui::GetIO().Fonts->SetTexID(nullptr);
  if (previous != context_) ImGui::SetCurrentContext(previous);
}

void TDialogGui::Draw() {
  ImDrawData* data = ImGui::GetDrawData();
  if (!data) return;
  const int width = int(data->DisplaySize.x), height = int(data->DisplaySize.y);
  if (width <= 0 || height <= 0) return;
  GL.glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT | GL_TEXTURE_BIT | GL_SCISSOR_BIT |
                  GL_VIEWPORT_BIT | GL_POLYGON_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT |
                  GL_FOG_BIT);
  GL.glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT | GL_CLIENT_PIXEL_STORE_BIT);
  // The caustics may have left a second texture unit on.
  if (GL.glActiveTexture) {
    GL.glActiveTexture(GL_TEXTURE1);
    GL.glDisable(GL_TEXTURE_2D);
    GL.glActiveTexture(GL_TEXTURE0);
  }
  if (GL.glClientActiveTexture) GL.glClientActiveTexture(GL_TEXTURE0);
  if (fontTexture_ == 0) {
    ImGuiIO& io = ImGui::GetIO();
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    GLuint name = 0;
    GL.glGenTextures(1, &name);
    GL.glBindTexture(GL_TEXTURE_2D, name);
    GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    GL.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GL.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    GL.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    fontTexture_ = name;
    io.Fonts->SetTexID(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(name)));
  }
  GL.glEnable(GL_BLEND);
  GL.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GL.glDisable(GL_CULL_FACE);
  GL.glDisable(GL_DEPTH_TEST);
  GL.glDisable(GL_LIGHTING);
  GL.glDisable(GL_COLOR_MATERIAL);
  GL.glDisable(GL_FOG);
  GL.glDisable(GL_ALPHA_TEST);
  GL.glDisable(GL_TEXTURE_GEN_S);
  GL.glDisable(GL_TEXTURE_GEN_T);
  GL.glEnable(GL_SCISSOR_TEST);
  GL.glEnable(GL_TEXTURE_2D);
  GL.glEnableClientState(GL_VERTEX_ARRAY);
  GL.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  GL.glEnableClientState(GL_COLOR_ARRAY);
  GL.glDisableClientState(GL_NORMAL_ARRAY);
  GL.glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  GL.glShadeModel(GL_SMOOTH);
  GL.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  GL.glViewport(0, 0, width, height);
  GL.glMatrixMode(GL_TEXTURE);
  GL.glPushMatrix();
  GL.glLoadIdentity();
  GL.glMatrixMode(GL_PROJECTION);
  GL.glPushMatrix();
  GL.glLoadIdentity();
  GL.glOrtho(0, width, height, 0, -1, 1);
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glPushMatrix();
  GL.glLoadIdentity();
  for (int n = 0; n < data->CmdListsCount; ++n) {
    const ImDrawList* list = data->CmdLists[n];
    const ImDrawVert* vertices = list->VtxBuffer.Data;
    const ImDrawIdx* indices = list->IdxBuffer.Data;
    GL.glVertexPointer(2, GL_FLOAT, sizeof(ImDrawVert), &vertices->pos);
    GL.glTexCoordPointer(2, GL_FLOAT, sizeof(ImDrawVert), &vertices->uv);
    GL.glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(ImDrawVert), &vertices->col);
    for (int c = 0; c < list->CmdBuffer.Size; ++c) {
      const ImDrawCmd& cmd = list->CmdBuffer[c];
      if (cmd.UserCallback) {
        if (cmd.UserCallback != ImDrawCallback_ResetRenderState) cmd.UserCallback(list, &cmd);
        continue;
      }
      const float x0 = std::max(cmd.ClipRect.x, 0.0f), y0 = std::max(cmd.ClipRect.y, 0.0f);
      const float x1 = std::min(cmd.ClipRect.z, float(width)), y1 = std::min(cmd.ClipRect.w, float(height));
      if (x1 <= x0 || y1 <= y0) continue;
      GL.glScissor(GLint(x0), GLint(float(height) - y1), GLsizei(x1 - x0), GLsizei(y1 - y0));
      // The font's commands carry the atlas's id of the frame's start: no
      // texture before the first upload, or one of a context since gone.
      const ImTextureID texture = cmd.GetTexID();
      GL.glBindTexture(GL_TEXTURE_2D,
                       texture == frameFontId_ ? GLuint(fontTexture_) : GLuint(reinterpret_cast<intptr_t>(texture)));
      GL.glDrawElements(GL_TRIANGLES, GLsizei(cmd.ElemCount), sizeof(ImDrawIdx) == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                        indices + cmd.IdxOffset);
    }
  }
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glPopMatrix();
  GL.glMatrixMode(GL_PROJECTION);
  GL.glPopMatrix();
  GL.glMatrixMode(GL_TEXTURE);
  GL.glPopMatrix();
  GL.glPopClientAttrib();
  GL.glPopAttrib();
}

}  // namespace velmora
