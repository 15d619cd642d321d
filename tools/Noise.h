#ifndef NOISE_H
#define NOISE_H

// Deterministic pseudo-random values for the generated pictures and sounds:
// an integer hash of lattice points (the same inputs always give the same
// value, on every run) and smooth value noise built on it. The two-dimensional
// noise wraps around a whole number of lattice cells, which makes textures
// tileable; the three-dimensional noise paints the sky as a function of view
// direction, which makes the six sky faces meet without seams.

#include "BasicVector.h"

#include <cstdint>

class Noise
{
public:
    explicit Noise(uint32_t seed);

    // A value in [0, 1) for the lattice point; each seed gives another field.
    float at(int x, int y, int z) const;
    // Smooth noise in [0, 1] at (x, y) in lattice cells, repeating every
    // period cells on both axes.
    float tiled(float x, float y, int period) const;
    // Sum of octaves of tiled noise at (u, v) in tile units ([0, 1) covers one
    // tile); the first octave has basePeriod cells per tile, each next octave
    // twice as many at half the weight. Normalised to [0, 1].
    float tiledFractal(float u, float v, int basePeriod, int octaves) const;
    // Smooth noise in [0, 1] in three dimensions, and its octave sum.
    float smooth(Float3 const& p) const;
    float fractal(Float3 const& p, int octaves) const;

private:
    static float fade(float t);
    float interpolate(float const corners[8], float fx, float fy, float fz) const;

    uint32_t seed;
};

#endif
