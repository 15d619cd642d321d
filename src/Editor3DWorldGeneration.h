#ifndef EDITOR3DWORLDGENERATION_H
#define EDITOR3DWORLDGENERATION_H

// Random terrain around a grid position: a flat floor, one of four ramps or a
// grid of height columns, then up to 19 random boxes stacked onto what the
// same call placed before them; and a large landscape tiled from the height
// map picture. Randomness comes from Utils::random, the unseeded C library
// generator, so a fresh run repeats the same terrain; the order of the draws
// is therefore part of the behaviour. Every box goes through the editor's
// region-splitting addition. Stateless: free functions only.

#include "BasicVector.h"

#include <vector>

class Editor3D;
class Image;

// The picture the landscape is made from, in the working directory.
extern char const* const FILE_HEIGHTMAP;

namespace Editor3DWorldGeneration
{
// Cubes from low (included) to high (excluded), of one cube type.
struct GeneratedBox
{
    Int3 low;
    Int3 high;
    int cubeType = 0;
};

// The boxes of one patch, in the order they are added: the ground (floor,
// ramp slabs or columns), then the random boxes. type is 0 (flat or
// heights) or 1 to 4 (ramps rising along +x, falling along +x, rising along
// +z, falling along +z). heights holds sizeHeightmap.x * sizeHeightmap.y
// column heights, x fastest, or is null with a size of (0, 0).
std::vector<GeneratedBox> planRandom(Int3 const& position, int type, unsigned char const* heights,
                                     Int2 const& sizeHeightmap, int rangeGeneration, int fillType, int topType);

// Traces and adds the patch of planRandom. False, with an error line and
// nothing added, when the fill or top type is not a cube type of the world.
bool generateRandom(Int3 const& position, int type, unsigned char const* heights, Int2 const& sizeHeightmap,
                    int rangeGeneration, Editor3D* editor, int fillType, int topType);
bool generateRandom(Int3 const& position, int type, int rangeGeneration, Editor3D* editor, int fillType,
                    int topType);

// 15 x 15 patches shaped by the height map, half a range apart. False, with
// an error line and nothing added, without the picture or the two cube types.
bool generateRandomFullWorld(Int3 const& position, int rangeGeneration, Editor3D* editor, int fillType,
                             int topType);

// The column heights of patch (i, j) of the height map's 15 x 15 cells: 4 x 4
// samples, x fastest, each the red value / 5 + 1 (1 to 52 cubes).
void readPatchHeights(Image const& heightmap, int i, int j, unsigned char heights[16]);

// Whether both ids are cube types of the editor's world; reports the first that is not.
bool checkGenerationCubeTypes(Editor3D const& editor, int fillType, int topType);
}

#endif
