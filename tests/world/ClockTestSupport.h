// Helpers of the clock tests: a sprite skin whose cells tell the sprites
// apart by colour, the description of a digital clock cut from it, and a
// hand mesh that records how it is drawn.
//
// Skin: a 64 x 64 bitmap of 8 x 8 cells of 8 x 8 pixels, counted row by
// row from the top-left corner. Cell k has the colour SkinColour(k); the
// sprites "0" .. "9" are cells 0 .. 9, "sun" .. "sat" cells 10 .. 16, "am"
// 17, "pm" 18, ":" 19. Each sprite is 8 x 8 drawing units.
//
// The placed objects of the display (in a 64 x 64 view unless told
// otherwise, origin lower left):
//   time1 .. time7   x = 0, 8, .. 48 on the row y = 0
//   month1 .. month5 x = 0, 8, .. 32 on the row y = 16
//   day              x = 0, y = 32
// Each starts showing nothing but the ones the clock never changes: time3
// and month3 show ":", time6 "am", time7 "pm".
#pragma once

#include <array>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "scene/SceneMesh.h"
#include "tests/scene/MeshTestSupport.h"

namespace worldtest {

using scenetest::RGB;

// The cell names in cell order.
inline const std::vector<std::string>& SkinCells() {
  static const std::vector<std::string> cells = {"0",   "1",   "2",   "3",   "4",   "5",   "6",  "7",  "8",  "9",
                                                 "sun", "mon", "tue", "wed", "thu", "fri", "sat", "am", "pm", ":"};
  return cells;
}

inline RGB SkinColour(int cell) {
  return RGB{static_cast<uint8_t>(20 + 10 * cell), static_cast<uint8_t>(235 - 10 * cell),
             static_cast<uint8_t>(cell % 2 ? 200 : 60)};
}

// The cell a red value belongs to (-1 when none is near).
inline int CellOfRed(int red) {
  for (int k = 0; k < int(SkinCells().size()); ++k)
    if (std::abs(red - (20 + 10 * k)) <= 3) return k;
  return -1;
}

inline image_test::Bytes SkinBmp() {
  return scenetest::Bmp24(64, 64, [](int x, int y) { return SkinColour((y / 8) * 8 + x / 8); });
}

// The sprite list's and the sprites' sections (without the lists around
// them): the mesh list "Sprites" and the sprite list "Objects" as children
// of a resource named "ClockResource" (section prefix "ClockResource").
inline std::string ClockResourceSections(const std::string& texture = "Textures/skin.bmp",
                                         const std::string& material = "Materials/ClockSprite", int viewWidth = 64,
                                         int viewHeight = 64) {
  std::string text = "[ClockResource1]\nType=TSceneMeshList\nName=Sprites\nMaterials=Materials\nTextures=Textures\n";
  text += "Count=" + std::to_string(SkinCells().size()) + "\n";
  for (size_t k = 0; k < SkinCells().size(); ++k)
    text += "[Sprites" + std::to_string(k + 1) + "]\nType=TSceneSprite\nName=" + SkinCells()[k] + "\nTexture=" +
            texture + "\nMaterial=" + material + "\nStartU=" + std::to_string(8 * (k % 8)) +
            "\nStartV=" + std::to_string(8 * (k / 8)) + "\nWidth=8\nHeight=8\n";
  struct Place {
    const char* name;
    int x, y;
  };
  const std::vector<Place> places = {{"time1", 0, 0},   {"time2", 8, 0},   {"time3", 16, 0},  {"time4", 24, 0},
                                     {"time5", 32, 0},  {"time6", 40, 0},  {"time7", 48, 0},  {"month1", 0, 16},
                                     {"month2", 8, 16}, {"month3", 16, 16}, {"month4", 24, 16}, {"month5", 32, 16},
                                     {"day", 0, 32}};
  text += "[ClockResource2]\nType=TMainSpriteList\nName=Objects\nVisible=1\nAlpha=1\nViewWidth=" +
          std::to_string(viewWidth) + "\nViewHeight=" + std::to_string(viewHeight) +
          "\nCount=" + std::to_string(places.size()) + "\n";
  for (size_t i = 0; i < places.size(); ++i) {
    text += "[Objects" + std::to_string(i + 1) + "]\nType=TMainVisualObject\nName=" + places[i].name +
            "\nAlpha=1\nVisualOptions=[Position]\nPosition=" + std::to_string(places[i].x) + "," +
            std::to_string(places[i].y) + ",0\n";
    const std::string name = places[i].name;
    if (name == "month3" || name == "time3") text += "Visual=ClockResource/Sprites/:\n";
    if (name == "time6") text += "Visual=ClockResource/Sprites/am\n";
    if (name == "time7") text += "Visual=ClockResource/Sprites/pm\n";
  }
  return text;
}

// The skin's texture and the sprites' material, as list sections.
inline std::string ClockTextureSection(int index, const std::string& name = "skin.bmp") {
  return "[Textures" + std::to_string(index) + "]\nType=TSceneTexture\nName=" + name + "\nTextureName=skin.bmp\n";
}
inline std::string ClockMaterialSection(int index) {
  return "[Materials" + std::to_string(index) +
         "]\nType=TSceneMaterial\nName=ClockSprite\nCount=1\nUseVertexColor=1\nAmbient1=1,1,1,1\nDiffuse1=1,1,1,1\n"
         "Emission1=0,0,0,1\n";
}

// A mesh that draws nothing and records, for each transparent pass, the
// turn of the model-view matrix about z (degrees, counter-clockwise as the
// viewer sees it) and whether the depth test was on.
class TTestHand : public velmora::TSceneMesh {
 public:
  struct Pass {
    float turn;
    float x, y, z;  // the translation
    bool depthTest;
    float offsetUnits;  // the polygon offset's units, 0 when it is off
  };
  const char* ClassName() const override { return "TTestHand"; }
  void RenderOpaque() override { ++OpaquePasses; }
  void RenderTransparent() override {
    std::array<float, 16> m{};
    velmora::GL.glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    float units = 0;
    if (velmora::GL.glIsEnabled(GL_POLYGON_OFFSET_FILL)) velmora::GL.glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    Passes.push_back({static_cast<float>(std::atan2(m[1], m[0]) * 180.0 / 3.14159265358979), m[12], m[13], m[14],
                      velmora::GL.glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, units});
    Order().push_back(Name());
  }
  static std::vector<std::string>& Order() {
    static std::vector<std::string> order;
    return order;
  }
  int OpaquePasses = 0;
  std::vector<Pass> Passes;
};

}  // namespace worldtest
