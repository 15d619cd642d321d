#include "HeightMap.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace HeightMap
{
Canvas make()
{
    Noise const noise(400);
    Canvas canvas(SIZE, SIZE, Color4(0, 0, 0, 255));
    for (int y = 0; y < SIZE; ++y)
        for (int x = 0; x < SIZE; ++x)
        {
            float const n = noise.tiledFractal(x / float(SIZE), y / float(SIZE), 3, 5);
            // Stretch the middle of the noise's range; the power flattens valleys.
            float const h = std::pow(std::min(1.0f, std::max(0.0f, (n - 0.28f) / 0.44f)), 1.4f);
            unsigned char const grey = static_cast<unsigned char>(std::lround(12.0f + 208.0f * h));
            canvas.setPixel(x, y, Color4(grey, grey, grey, 255));
        }
    return canvas;
}
}
