#include "Editor3DWorldGeneration.h"

#include "DeviceManager.h"
#include "Editor3D.h"
#include "Errors.h"
#include "FileManager.h"
#include "Image.h"
#include "IndexedWorld.h"
#include "Utils.h"

#include <iostream>
#include <string>

char const* const FILE_HEIGHTMAP = "world_heightmap.png";

namespace
{
using Editor3DWorldGeneration::GeneratedBox;

// A patch gets random(MAX_RANDOM_BOXES) random boxes.
int const MAX_RANDOM_BOXES = 20;
// The height map world: PATCHES x PATCHES patches of SAMPLES x SAMPLES columns.
int const PATCHES = 15;
int const SAMPLES = 4;
// Each height map level of this many red steps is one cube more.
int const RED_PER_CUBE = 5;

// Random box sizes, in the order the boxes of a patch are made.
enum class BoxCategory
{
    Large,
    Medium,
    Small,
    Single,
};
int const NB_BOX_CATEGORIES = 4;

BoxCategory categoryOfDraw(int draw)
{
    if (draw < 3)
        return BoxCategory::Large;
    if (draw < 15)
        return BoxCategory::Medium;
    if (draw < 50)
        return BoxCategory::Small;
    return BoxCategory::Single;
}

// What one patch has made so far: the boxes to add and, for stacking, the
// corners of each piece of ground and each random box (a column counts once).
class Patch
{
public:
    Patch(int fillType, int topType) : fillType(fillType), topType(topType) {}

    void addTop(Int3 const& low, Int3 const& high) { boxes.push_back(GeneratedBox{low, high, topType}); }
    void addRecordedTop(Int3 const& low, Int3 const& high)
    {
        record(low, high);
        addTop(low, high);
    }
    // A fill body under a one-cube top layer, or only the top when the box is one cube high.
    void addLayered(Int3 const& low, Int3 const& high)
    {
        if (low.y() + 1 >= high.y())
        {
            addTop(low, high);
            return;
        }
        boxes.push_back(GeneratedBox{low, Int3(high.x(), high.y() - 1, high.z()), fillType});
        addTop(Int3(low.x(), high.y() - 1, low.z()), high);
    }
    void record(Int3 const& low, Int3 const& high)
    {
        cubesPosBeg.push_back(low);
        cubesPosEnd.push_back(high);
    }
    // Lifts the box onto every recorded box it meets, restarting the walk after each lift.
    void stack(Int3& low, Int3& high) const
    {
        ASSERT(cubesPosBeg.size() == cubesPosEnd.size(), "the recorded corners come in pairs");
        size_t i = 0;
        while (i < cubesPosBeg.size())
        {
            Int3 const& beg = cubesPosBeg[i];
            Int3 const& end = cubesPosEnd[i];
            bool const hit = high.x() >= beg.x() && high.y() >= beg.y() && high.z() >= beg.z() &&
                             low.x() < end.x() && low.y() < end.y() && low.z() < end.z();
            if (!hit)
            {
                ++i;
                continue;
            }
            high.y() = high.y() - low.y() + end.y();
            low.y() = end.y();
            i = 0;
        }
    }

    std::vector<GeneratedBox> boxes;

private:
    int fillType;
    int topType;
    std::vector<Int3> cubesPosBeg;
    std::vector<Int3> cubesPosEnd;
};

void planFlatFloor(Int3 const& p, int half, Patch& patch)
{
    patch.addRecordedTop(Int3(p.x() - half, p.y(), p.z() - half), Int3(p.x() + half, p.y() + 1, p.z() + half));
}

void planColumns(Int3 const& p, unsigned char const* heights, Int2 const& size, int range, Patch& patch)
{
    int const half = range / 2;
    for (int i = 0; i < size.width(); ++i)
        for (int j = 0; j < size.height(); ++j)
        {
            int const height = heights[i + j * size.width()];
            // A column of no height would be an empty box.
            if (height == 0)
                continue;
            Int3 const low(p.x() + i * range / size.width() - half, p.y(), p.z() + j * range / size.height() - half);
            Int3 const high(p.x() + (i + 1) * range / size.width() - half, p.y() + height,
                            p.z() + (j + 1) * range / size.height() - half);
            patch.record(low, high);
            patch.addLayered(low, high);
        }
}

void planRamp(Int3 const& p, int type, int half, Patch& patch)
{
    for (int k = -half; k < half; ++k)
    {
        switch (type)
        {
        case 1:
            patch.addRecordedTop(Int3(p.x() + k, p.y() + k, p.z() - half),
                                 Int3(p.x() + k + 1, p.y() + k + 1, p.z() + half + 1));
            break;
        case 2:
            patch.addRecordedTop(Int3(p.x() + k, p.y() - k, p.z() - half),
                                 Int3(p.x() + k + 1, p.y() - k - 1, p.z() + half + 1));
            break;
        case 3:
            patch.addRecordedTop(Int3(p.x() - half, p.y() + k, p.z() + k),
                                 Int3(p.x() + half + 1, p.y() + k + 1, p.z() + k + 1));
            break;
        case 4:
            patch.addRecordedTop(Int3(p.x() - half, p.y() - k, p.z() + k),
                                 Int3(p.x() + half + 1, p.y() - k - 1, p.z() + k + 1));
            break;
        default:
            ASSERT(false, "generation types are 0 to 4");
        }
    }
}

// The point of the floor or ramp above which a random box is placed.
Int3 getBasePoint(Int3 const& p, int type, int dx, int dz)
{
    switch (type)
    {
    case 0:
        return Int3(p.x() + dx, p.y(), p.z() + dz);
    case 1:
        return Int3(p.x() + dx, p.y() + dx, p.z() + dz);
    case 2:
        return Int3(p.x() + dx, p.y() - dx, p.z() + dz);
    case 3:
        return Int3(p.x() + dx, p.y() + dz, p.z() + dz);
    case 4:
        return Int3(p.x() + dx, p.y() - dz, p.z() + dz);
    default:
        ASSERT(false, "generation types are 0 to 4");
        return p;
    }
}

// How far a random box reaches from its base point on one side (0 low, 1
// high): large 1 to 9 cubes (the product of two draws), medium 1 to 3, small
// 0 to 1 below and 1 to 2 above (the base cube is always in the box).
int drawExtent(BoxCategory category, int side)
{
    if (category == BoxCategory::Large)
    {
        int const first = Utils::random(3) + 1;
        return first * (Utils::random(3) + 1);
    }
    if (category == BoxCategory::Medium)
        return Utils::random(3) + 1;
    return Utils::random(2) + side;
}

// The box around the base point, drawing z, y, x on the low side, then z, y, x on the high side.
void drawBoxAround(Int3 const& base, BoxCategory category, Int3& low, Int3& high)
{
    low = base;
    high = base + Int3(1, 1, 1);
    if (category == BoxCategory::Single)
        return;
    for (int axis = 2; axis >= 0; --axis)
        low[axis] = base[axis] - drawExtent(category, 0);
    for (int axis = 2; axis >= 0; --axis)
        high[axis] = base[axis] + drawExtent(category, 1);
}

void planRandomBoxes(Int3 const& p, int type, int range, Patch& patch)
{
    int const half = range / 2;
    int const count = Utils::random(MAX_RANDOM_BOXES);
    int perCategory[NB_BOX_CATEGORIES] = {0, 0, 0, 0};
    for (int k = 0; k < count; ++k)
        ++perCategory[int(categoryOfDraw(Utils::random(100)))];
    for (int category = 0; category < NB_BOX_CATEGORIES; ++category)
        for (int k = 0; k < perCategory[category]; ++k)
        {
            int const dx = Utils::random(range) - half;
            int const dz = Utils::random(range) - half;
            Int3 low;
            Int3 high;
            drawBoxAround(getBasePoint(p, type, dx, dz), BoxCategory(category), low, high);
            patch.stack(low, high);
            patch.record(low, high);
            patch.addLayered(low, high);
        }
}

// The red of the height map at one sample point, as a column height of 1 to 52 cubes.
unsigned char sampleHeight(Image const& image, Int2 const& imagePosExtremity1, Int2 const& imagePosExtremity2,
                           int a, int b)
{
    Int2 const cell = imagePosExtremity2 - imagePosExtremity1;
    Int2 const coordinatesInHeightmapImage(imagePosExtremity1.x() + a * cell.x() / SAMPLES,
                                           imagePosExtremity1.y() + b * cell.y() / SAMPLES);
    ASSERT(coordinatesInHeightmapImage.x() >= imagePosExtremity1.x(), NULL);
    ASSERT(coordinatesInHeightmapImage.y() >= imagePosExtremity1.y(), NULL);
    ASSERT(coordinatesInHeightmapImage.x() <= imagePosExtremity2.x(), NULL);
    ASSERT(coordinatesInHeightmapImage.y() <= imagePosExtremity2.y(), NULL);
    return static_cast<unsigned char>(image.getPixel(coordinatesInHeightmapImage).x() / RED_PER_CUBE + 1);
}

// The first pixel of patch (i, j) along one side of the picture.
int patchEdge(int patch, int side)
{
    return int(float(patch) * float(side) / float(PATCHES));
}
}

namespace Editor3DWorldGeneration
{
std::vector<GeneratedBox> planRandom(Int3 const& position, int type, unsigned char const* heights,
                                     Int2 const& sizeHeightmap, int rangeGeneration, int fillType, int topType)
{
    ASSERT(sizeHeightmap.width() <= rangeGeneration && sizeHeightmap.height() <= rangeGeneration, NULL);
    ASSERT(sizeHeightmap.width() >= 0 && sizeHeightmap.height() >= 0, NULL);
    ASSERT(heights != NULL || (sizeHeightmap.width() == 0 && sizeHeightmap.height() == 0),
           "column heights are missing");
    // A floor of one cube would have no extent.
    ASSERT(rangeGeneration >= 2, "generation covers at least two cubes");
    Patch patch(fillType, topType);
    int const half = rangeGeneration / 2;
    if (type != 0)
        planRamp(position, type, half, patch);
    else if (sizeHeightmap.width() > 0 && sizeHeightmap.height() > 0)
        planColumns(position, heights, sizeHeightmap, rangeGeneration, patch);
    else
        planFlatFloor(position, half, patch);
    planRandomBoxes(position, type, rangeGeneration, patch);
    return patch.boxes;
}

bool generateRandom(Int3 const& position, int type, unsigned char const* heights, Int2 const& sizeHeightmap,
                    int rangeGeneration, Editor3D* editor, int fillType, int topType)
{
    ASSERT(editor != NULL, "generation adds its boxes through the editor");
    if (!checkGenerationCubeTypes(*editor, fillType, topType))
        return false;
    std::vector<GeneratedBox> const boxes =
        planRandom(position, type, heights, sizeHeightmap, rangeGeneration, fillType, topType);
    std::cout << "Generate random at " << position << " (type " << type << ")" << std::endl;
    // A box that a region refuses is left out; the others still make the terrain.
    for (GeneratedBox const& box : boxes)
        editor->addCubeZoneWithRegionLimitCaretaking(box.low, box.high, box.cubeType);
    return true;
}

bool generateRandom(Int3 const& position, int type, int rangeGeneration, Editor3D* editor, int fillType,
                    int topType)
{
    return generateRandom(position, type, NULL, Int2(0, 0), rangeGeneration, editor, fillType, topType);
}

bool generateRandomFullWorld(Int3 const& position, int rangeGeneration, Editor3D* editor, int fillType,
                             int topType)
{
    ASSERT(editor != NULL, "generation adds its boxes through the editor");
    if (!FileManager::fileExists(FILE_HEIGHTMAP))
    {
        Errors::printError(std::string("Cannot generate the world: the height map '") + FILE_HEIGHTMAP +
                           "' is missing");
        return false;
    }
    if (!checkGenerationCubeTypes(*editor, fillType, topType))
        return false;
    Image const image(deviceManager, FILE_HEIGHTMAP, false);
    unsigned char heights[SAMPLES * SAMPLES] = {};
    for (int i = 0; i < PATCHES; ++i)
        for (int j = 0; j < PATCHES; ++j)
        {
            readPatchHeights(image, i, j, heights);
            // Patch centres half a range apart, around the position.
            Int3 const offset(int((float(i) - 7.5f) * float(rangeGeneration) * 0.5f), 0,
                              int((float(j) - 7.5f) * float(rangeGeneration) * 0.5f));
            generateRandom(position + offset, 0, heights, Int2(SAMPLES, SAMPLES), rangeGeneration, editor, fillType,
                           topType);
        }
    return true;
}

void readPatchHeights(Image const& heightmap, int i, int j, unsigned char heights[SAMPLES * SAMPLES])
{
    Int2 const imagePosExtremity1(patchEdge(i, heightmap.getWidth()), patchEdge(j, heightmap.getHeight()));
    Int2 const imagePosExtremity2(patchEdge(i + 1, heightmap.getWidth()), patchEdge(j + 1, heightmap.getHeight()));
    for (int a = 0; a < SAMPLES; ++a)
        for (int b = 0; b < SAMPLES; ++b)
            heights[a + SAMPLES * b] = sampleHeight(heightmap, imagePosExtremity1, imagePosExtremity2, a, b);
}

bool checkGenerationCubeTypes(Editor3D const& editor, int fillType, int topType)
{
    int const count = editor.getIndexedWorld()->getNbCubeType();
    if (fillType >= 0 && fillType < count && topType >= 0 && topType < count)
        return true;
    // Types are shown numbered from 1.
    Errors::printError("Cannot generate cubes of cube types " + std::to_string(fillType + 1) + " and " +
                       std::to_string(topType + 1) + ": the world has " + std::to_string(count) + " cube types");
    return false;
}
}
