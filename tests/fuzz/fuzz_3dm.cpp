// Feeds arbitrary text to the 3DM reader, then walks the model through its
// checked accessors the way the mesh loader does.
#include <cstddef>
#include <cstdint>

#include "assets/Mesh3DM.h"
#include "core/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmora::T3DMFile file;
  velmora::TCustomMemoryStream stream(std::span<const std::uint8_t>(data, size));
  try {
    file.LoadFromStream(stream);
  } catch (const velmora::Error&) {
    return 0;
  }
  // A model that loaded without error names only records it holds.
  float sum = 0;
  for (int o = 0; o < file.ObjectCount(); ++o) {
    const velmora::T3DMObject& object = file.Objects(o);
    for (int f = 0; f < object.VertexFaces.Count(); ++f) {
      for (std::int32_t v : object.VertexFaces.Items(f).Index) sum += object.Vertices.Items(v).X;
      if (object.TextureCoordFaces.Count() > 0)
        for (std::int32_t t : object.TextureCoordFaces.Items(f).Index) sum += object.TextureCoords.Items(t).U;
      if (object.ColorFaces.Count() > 0)
        for (std::int32_t c : object.ColorFaces.Items(f).Index) sum += object.Colors.Items(c).R;
    }
    for (int k = 0; k < object.VertexFrames.Count(); ++k) sum += static_cast<float>(object.VertexFrames.Frames(k).Count());
  }
  for (int m = 0; m < file.Materials.Count(); ++m) sum += static_cast<float>(file.Materials.Items(m)->Name().size());
  volatile float sink = sum;
  (void)sink;
  return 0;
}
