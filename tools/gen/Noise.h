// Tileable noise for textures.
//
// Every function takes a position (u, v) on the unit torus (u and v wrap
// at 1) and a lattice of cellsX by cellsY cells laid over it, so any
// picture made from them tiles without a seam. Seeds select independent
// lattices; the lattices come from HashCell, never from a library
// generator.
#pragma once

#include <cstdint>

namespace velmora::gen {

// Gradient noise, about -1..1, smooth (quintic fade).
double PeriodicNoise(double u, double v, int cellsX, int cellsY, std::uint32_t seed);
// Sum of octaves of PeriodicNoise, each with twice the cells and `gain`
// times the weight of the one before; normalised to about -1..1.
double PeriodicFbm(double u, double v, int cellsX, int cellsY, int octaves, std::uint32_t seed, double gain = 0.5);

// Cellular noise: one feature point per cell; distances (in cell units,
// measured with the cell aspect) to the nearest and the second-nearest
// point, and a hash of the nearest cell.
struct TCellular {
  double F1 = 0, F2 = 0;
  std::uint32_t Id = 0;
};
TCellular PeriodicCells(double u, double v, int cellsX, int cellsY, std::uint32_t seed);

}  // namespace velmora::gen
