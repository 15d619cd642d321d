#include "Noise.h"

#include <cmath>

namespace
{
int wrap(int value, int period)
{
    int const r = value % period;
    return r < 0 ? r + period : r;
}
}

Noise::Noise(uint32_t seed) : seed(seed)
{
}

float Noise::at(int x, int y, int z) const
{
    // Integer mixing in the manner of common hash finalisers: every input bit
    // reaches every output bit, so neighbouring points are unrelated.
    uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h = (h << 11) | (h >> 21);
    h ^= static_cast<uint32_t>(z) * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return (h >> 8) / 16777216.0f;
}

float Noise::fade(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

float Noise::interpolate(float const corners[8], float fx, float fy, float fz) const
{
    float const u = fade(fx), v = fade(fy), w = fade(fz);
    float const x00 = corners[0] + (corners[1] - corners[0]) * u;
    float const x10 = corners[2] + (corners[3] - corners[2]) * u;
    float const x01 = corners[4] + (corners[5] - corners[4]) * u;
    float const x11 = corners[6] + (corners[7] - corners[6]) * u;
    float const y0 = x00 + (x10 - x00) * v;
    float const y1 = x01 + (x11 - x01) * v;
    return y0 + (y1 - y0) * w;
}

float Noise::tiled(float x, float y, int period) const
{
    float const cellX = std::floor(x), cellY = std::floor(y);
    int const x0 = wrap(static_cast<int>(cellX), period), y0 = wrap(static_cast<int>(cellY), period);
    int const x1 = wrap(x0 + 1, period), y1 = wrap(y0 + 1, period);
    float const corners[8] = {at(x0, y0, period), at(x1, y0, period), at(x0, y1, period), at(x1, y1, period),
                              0.0f, 0.0f, 0.0f, 0.0f};
    return interpolate(corners, x - cellX, y - cellY, 0.0f);
}

float Noise::tiledFractal(float u, float v, int basePeriod, int octaves) const
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    int period = basePeriod;
    for (int octave = 0; octave < octaves; ++octave)
    {
        sum += tiled(u * period, v * period, period) * weight;
        total += weight;
        weight *= 0.5f;
        period *= 2;
    }
    return sum / total;
}

float Noise::smooth(Float3 const& p) const
{
    float const cx = std::floor(p.x()), cy = std::floor(p.y()), cz = std::floor(p.z());
    int const x = static_cast<int>(cx), y = static_cast<int>(cy), z = static_cast<int>(cz);
    float const corners[8] = {at(x, y, z),         at(x + 1, y, z),         at(x, y + 1, z),
                              at(x + 1, y + 1, z), at(x, y, z + 1),         at(x + 1, y, z + 1),
                              at(x, y + 1, z + 1), at(x + 1, y + 1, z + 1)};
    return interpolate(corners, p.x() - cx, p.y() - cy, p.z() - cz);
}

float Noise::fractal(Float3 const& p, int octaves) const
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f, scale = 1.0f;
    for (int octave = 0; octave < octaves; ++octave)
    {
        sum += smooth(p * scale) * weight;
        total += weight;
        weight *= 0.5f;
        scale *= 2.0f;
    }
    return sum / total;
}
