// The generated content of the scene archive, and the makers of each part.
//
// velmora-gen calls every maker with one TGenOutput; each adds its files by
// archive name (plain file names, unique ignoring case, as the archive
// requires). Nothing here depends on the order in which makers run: each
// seeds its own random numbers from the names of what it makes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/gen/Image.h"
#include "tools/gen/Jpeg.h"

namespace velmora::gen {

class TFont;
struct TGenMesh;

struct TGenFile {
  std::string Name;
  std::vector<std::uint8_t> Bytes;
};

class TGenOutput {
 public:
  // Raises "TGenOutput.Add error: NAME is made twice" for a name already
  // given (ignoring case) and for names with a folder part.
  void Add(const std::string& name, std::vector<std::uint8_t> bytes);
  void AddText(const std::string& name, std::string_view text);
  void AddJpeg(const std::string& name, const TImage& picture, int quality, TChroma chroma);
  void AddMesh(const std::string& name, const TGenMesh& mesh);

  const std::vector<TGenFile>& Files() const { return files_; }

 private:
  std::vector<TGenFile> files_;
};

// Caustic maps, light rays, water surface, sea bottoms, background reef
// and rocks with their meshes.
void MakeWaterContent(TGenOutput& out);
// The bubble's picture (its mesh is a hand-written file of the scene).
void MakeBubbleContent(TGenOutput& out);
// Analogue clock meshes and pictures, digital clock skins.
void MakeClockContent(TGenOutput& out, const TFont& font);
// Fish and plankton meshes and pictures of both environments.
void MakeFishContent(TGenOutput& out);
// The looping bubble sounds.
void MakeSoundContent(TGenOutput& out);

}  // namespace velmora::gen
