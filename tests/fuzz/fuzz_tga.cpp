// Feeds arbitrary bytes to the TGA decoder; small pictures that decode are
// also stretched to power-of-two sides on the CPU.

#include "ImageLoader.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    ImageLoader::Pixels pixels;
    std::string error;
    if (!ImageLoader::decodeTga(data, size, pixels, error))
        return 0;
    if ((long long)(pixels.width) * pixels.height <= 4096)
        ImageLoader::stretchToPowerOfTwo(pixels);
    return 0;
}
