#include "SkyBoxFaces.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace
{
float clamp01(float v)
{
    return std::min(1.0f, std::max(0.0f, v));
}

float smoothStep(float low, float high, float v)
{
    float const t = clamp01((v - low) / (high - low));
    return t * t * (3.0f - 2.0f * t);
}

Float3 mix(Float3 const& a, Float3 const& b, float t)
{
    return a + (b - a) * t;
}

Float3 normalised(Float3 const& v)
{
    float const length = std::sqrt(v.x() * v.x() + v.y() * v.y() + v.z() * v.z());
    return v / length;
}

Float3 skyColour(Noise const& noise, Float3 const& direction)
{
    Float3 const d = normalised(direction);
    Float3 const horizon(206.0f, 222.0f, 240.0f), zenith(64.0f, 118.0f, 204.0f);
    if (d.y() < 0.0f)
        return mix(Float3(182.0f, 196.0f, 210.0f), Float3(86.0f, 96.0f, 104.0f), std::pow(-d.y(), 0.5f));
    Float3 colour = mix(horizon, zenith, std::pow(d.y(), 0.6f));
    // Clouds on a flat layer overhead: nearer the horizon they shrink and thin out.
    float const toLayer = 1.0f / (d.y() + 0.12f);
    float const density = noise.fractal(Float3(d.x() * toLayer * 1.3f, 5.5f, d.z() * toLayer * 1.3f), 5);
    float const cloud = smoothStep(0.48f, 0.72f, density) * smoothStep(0.0f, 0.3f, d.y());
    colour = mix(colour, Float3(246.0f, 247.0f, 250.0f), cloud * 0.9f);
    Float3 const sun = normalised(Float3(0.55f, 0.5f, -0.67f));
    float const facing = std::max(0.0f, d.x() * sun.x() + d.y() * sun.y() + d.z() * sun.z());
    colour = colour + Float3(255.0f, 236.0f, 190.0f) * (0.25f * std::pow(facing, 12.0f));
    colour = mix(colour, Float3(255.0f, 252.0f, 235.0f), smoothStep(0.9990f, 0.9995f, facing));
    return colour;
}
}

namespace SkyBoxFaces
{
Float3 directionOf(std::string const& face, float s, float t)
{
    float const a = 1.0f - 2.0f * s, b = 1.0f - 2.0f * t;
    if (face == "top")
        return Float3(a, 1.0f, b);
    if (face == "bottom")
        return Float3(a, -1.0f, b);
    if (face == "left")
        return Float3(-a, b, -1.0f);
    if (face == "right")
        return Float3(a, b, 1.0f);
    if (face == "front")
        return Float3(1.0f, b, -a);
    return Float3(-1.0f, b, a); // back
}

Canvas makeFace(std::string const& face)
{
    Noise const noise(300);
    Canvas canvas(SIZE, SIZE, Color4(0, 0, 0, 255));
    for (int y = 0; y < SIZE; ++y)
        for (int x = 0; x < SIZE; ++x)
        {
            Float3 const c = skyColour(noise, directionOf(face, (x + 0.5f) / SIZE, (y + 0.5f) / SIZE));
            canvas.setPixel(x, y,
                            Color4(static_cast<unsigned char>(std::lround(std::min(255.0f, c.x()))),
                                   static_cast<unsigned char>(std::lround(std::min(255.0f, c.y()))),
                                   static_cast<unsigned char>(std::lround(std::min(255.0f, c.z()))), 255));
        }
    return canvas;
}
}
