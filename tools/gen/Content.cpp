#include "tools/gen/Content.h"

#include "core/Error.h"
#include "core/Strings.h"
#include "tools/gen/MeshWriter.h"

namespace velmora::gen {

void TGenOutput::Add(const std::string& name, std::vector<std::uint8_t> bytes) {
  if (name.empty() || name.find_first_of("/\\:") != std::string::npos)
    RaiseError("TGenOutput", "Add", "\"" + name + "\" is not a plain file name");
  for (const TGenFile& f : files_)
    if (SameText(f.Name, name)) RaiseError("TGenOutput", "Add", name + " is made twice");
  files_.push_back(TGenFile{name, std::move(bytes)});
}

void TGenOutput::AddText(const std::string& name, std::string_view text) {
  Add(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void TGenOutput::AddJpeg(const std::string& name, const TImage& picture, int quality, TChroma chroma) {
  Add(name, EncodeJpeg(picture, quality, chroma));
}

void TGenOutput::AddMesh(const std::string& name, const TGenMesh& mesh) { AddText(name, mesh.Write()); }

}  // namespace velmora::gen
