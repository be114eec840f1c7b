// Caustic light patterns: sunlight refracted by a rippled water surface and
// gathered on a plane below it.
//
// The surface is a sum of waves with a whole number of cycles across the
// tile, so the pattern tiles without a seam. Parallel rays fall through the
// surface at a grid of points several times finer than the picture; each is
// bent by the local slope (small-angle refraction: displacement along the
// gradient) and lands on the plane, where it is splatted bilinearly (with
// wrap-around) into a density picture. Where the bent rays crowd, the
// density rises in the thin bright lines of real caustics.
#pragma once

#include <string_view>

#include "tools/gen/Image.h"

namespace velmora::gen {

struct TCausticSettings {
  int Width = 256, Height = 256;
  // The tile is Aspect units wide and 1 unit high in the world; Aspect
  // differs from Width / Height for textures stretched over their plane.
  double Aspect = 1.0;
  // Dominant wave cycles per world unit, and the number of waves.
  double Cycles = 5.0;
  int Waves = 24;
  // Depth of the plane below the surface, relative to the depth at which
  // the first focal lines appear (about 1.0).
  double Focus = 1.6;
  // Rays per picture pixel along each axis.
  int Supersample = 4;
};

// The ray density: 1.0 where the light is spread evenly, far above 1 on the
// focal lines, below 1 between them. One channel.
TImage CausticDensity(const TCausticSettings& settings, std::string_view seed);

}  // namespace velmora::gen
