#include "DemoWorld.h"

#include "Editor3D.h"
#include "Errors.h"
#include "Font.h"
#include "Image.h"
#include "IndexedWorld.h"
#include "WorldIndexator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace
{
struct CubeTypeFaces
{
    char const* top;
    char const* side;
    char const* bottom;
};

// By DemoWorld::CubeTypeId.
CubeTypeFaces const CUBE_TYPE_FACES[DemoWorld::NB_CUBE_TYPES] = {
    {"grass_top.png", "grass_side.png", "dirt.png"},
    {"dirt.png", "dirt.png", "dirt.png"},
    {"stone.png", "stone.png", "stone.png"},
    {"cobblestone.png", "cobblestone.png", "cobblestone.png"},
    {"sand.png", "sand.png", "sand.png"},
    {"wood_planks.png", "wood_planks.png", "wood_planks.png"},
    {"leaves.png", "leaves.png", "leaves.png"},
    {"brick.png", "brick.png", "brick.png"},
    {"snow.png", "snow.png", "snow.png"},
    {"glass.png", "glass.png", "glass.png"},
};

unsigned const RANDOM_SEED = 1;
int const REGION = 32;
// The terrain's columns stand on this level; lower tops are under water.
int const TERRAIN_BASE = -8;
// The island: terrain regions from -ISLAND_REGIONS to ISLAND_REGIONS - 1 on x and z.
int const ISLAND_REGIONS = 3;
float const ISLAND_RADIUS = float(ISLAND_REGIONS * REGION);
int const TERRAIN_SAMPLES = 8;
int const SAND_UP_TO = 1;
int const SNOW_FROM = 16;
// Regions with static shadows: from -SHADOW_REGIONS to SHADOW_REGIONS - 1 on x and z.
int const SHADOW_REGIONS = 1;
float const OBJECT_LIFT = 5.0f;
// The game's font spacing; the editor only keeps the font.
int const FONT_SPACE_WIDTH = 16;

Int3 withAxis(Int3 point, int axis, int value)
{
    point[axis] = value;
    return point;
}
} // namespace

DemoWorld::DemoWorld(Editor3D& editor, Image const& heightmap) : editor(editor), heightmap(heightmap), boxes()
{
    ASSERT(editor.getIndexedWorld()->getNbCubeType() == 0, "the demo world is built into an empty world");
}

void DemoWorld::build()
{
    std::srand(RANDOM_SEED);
    addCubeTypes_();
    addCentre_();
    addBuildings_();
    addTerrain_();
    addObjects_();
    addShadows_();
}

void DemoWorld::writeWorldFile(std::string const& gameFolder, std::string const& fileName)
{
    Image const heightmap(NULL, (gameFolder + "/world_heightmap.png").c_str(), false);
    Font const font(NULL, (gameFolder + "/default_font.png").c_str(), FONT_SPACE_WIDTH, false);
    IndexedWorld world(&font, NULL);
    Editor3D editor(font, &world);
    DemoWorld(editor, heightmap).build();
    world.saveWorldToFile(fileName);
}

void DemoWorld::addCubeTypes_()
{
    bool const repeat[3] = {true, true, true};
    for (int id = 0; id < NB_CUBE_TYPES; ++id)
    {
        CubeTypeFaces const& faces = CUBE_TYPE_FACES[id];
        // The editor's order: front, back, top, bottom, left, right.
        std::string const names[6] = {faces.side, faces.side, faces.top, faces.bottom, faces.side, faces.side};
        editor.getIndexedWorld()->addCubeType(names, repeat, true);
    }
}

void DemoWorld::addCentre_()
{
    Int3 const centreLow(-REGION, 0, -REGION);
    Int3 const centreHigh(REGION, 0, REGION);
    Int3 const plazaLow(-12, -1, -12);
    Int3 const plazaHigh(12, 0, 12);
    Int3 const lakeLow(-28, TERRAIN_BASE, -12);
    Int3 const lakeHigh(-16, -3, 12);
    addBox_(plazaLow, plazaHigh, COBBLESTONE);
    // The grass floor around the plaza and the lake, and the strip between them.
    addFrame_(withAxis(centreLow, 1, -1), centreHigh, Int3(lakeLow.x(), 0, plazaLow.z()),
              Int3(plazaHigh.x(), 0, plazaHigh.z()), GRASS);
    addBox_(Int3(lakeHigh.x(), -1, plazaLow.z()), Int3(plazaLow.x(), 0, plazaHigh.z()), GRASS);
    addFrame_(withAxis(centreLow, 1, TERRAIN_BASE), withAxis(centreHigh, 1, -1), lakeLow, lakeHigh, DIRT);
    addBox_(lakeLow, lakeHigh, SAND);
}

void DemoWorld::addBuildings_()
{
    // The brick house.
    addWindowedWalls_(Int3(16, 0, -5), Int3(27, 6, 6), BRICK);
    addBox_(Int3(15, 6, -6), Int3(28, 7, 7), WOOD);
    // The stone tower, with a second row of windows and a crenellated top.
    addWindowedWalls_(Int3(-28, 0, 18), Int3(-20, 7, 26), STONE);
    addWindowedWalls_(Int3(-28, 7, 18), Int3(-20, 14, 26), STONE);
    addBox_(Int3(-28, 14, 18), Int3(-20, 15, 26), COBBLESTONE);
    for (int x : {-28, -21})
        for (int z : {18, 25})
            addBox_(Int3(x, 15, z), Int3(x + 1, 16, z + 1), COBBLESTONE);
    // The wooden cabin under a stepped brick roof.
    addWindowedWalls_(Int3(16, 0, 18), Int3(24, 5, 26), WOOD);
    addBox_(Int3(15, 5, 17), Int3(25, 6, 27), BRICK);
    addBox_(Int3(17, 6, 19), Int3(23, 7, 25), BRICK);
    for (Int3 const& foot :
         {Int3(-24, 0, -24), Int3(-18, 0, -27), Int3(24, 0, -24), Int3(27, 0, -17), Int3(-6, 0, 24), Int3(6, 0, 27)})
        addTree_(foot);
}

void DemoWorld::addTree_(Int3 const& foot)
{
    addBox_(foot, foot + Int3(1, 4, 1), WOOD);
    addBox_(foot + Int3(-2, 4, -2), foot + Int3(3, 6, 3), LEAVES);
    addBox_(foot + Int3(-1, 6, -1), foot + Int3(2, 7, 2), LEAVES);
}

void DemoWorld::addWindowedWalls_(Int3 const& low, Int3 const& high, int wallType)
{
    // The walls along x take the corners; those along z fit between them.
    addWindowedWall_(low, withAxis(high, 2, low.z() + 1), 0, wallType);
    addWindowedWall_(withAxis(low, 2, high.z() - 1), high, 0, wallType);
    addWindowedWall_(Int3(low.x(), low.y(), low.z() + 1), Int3(low.x() + 1, high.y(), high.z() - 1), 2, wallType);
    addWindowedWall_(Int3(high.x() - 1, low.y(), low.z() + 1), Int3(high.x(), high.y(), high.z() - 1), 2, wallType);
}

void DemoWorld::addWindowedWall_(Int3 const& low, Int3 const& high, int axis, int wallType)
{
    // A door two cubes wide and three high in the middle of every wall at ground level.
    bool const hasDoor = low.y() == 0 && high[axis] - low[axis] >= 6;
    int const doorLow = (low[axis] + high[axis]) / 2 - 1;
    int const windowLow = low.y() + 1;
    int const windowHigh = std::min(low.y() + 3, high.y());
    // Each row is cut into runs of one kind: pillars, glass or the door's gap.
    auto kindAt = [&](int t, int y) {
        if (hasDoor && y < low.y() + 3 && t >= doorLow && t < doorLow + 2)
            return -1;
        bool const window = y >= windowLow && y < windowHigh && (t - low[axis]) % 3 != 0 && t < high[axis] - 1;
        return window ? int(GLASS) : wallType;
    };
    for (int y = low.y(); y < high.y(); ++y)
    {
        int runStart = low[axis];
        for (int t = low[axis] + 1; t <= high[axis]; ++t)
        {
            if (t < high[axis] && kindAt(t, y) == kindAt(runStart, y))
                continue;
            int const kind = kindAt(runStart, y);
            if (kind >= 0)
                addBox_(withAxis(withAxis(low, axis, runStart), 1, y), withAxis(withAxis(high, axis, t), 1, y + 1),
                        kind);
            runStart = t;
        }
    }
}

void DemoWorld::addFrame_(Int3 const& outerLow, Int3 const& outerHigh, Int3 const& innerLow, Int3 const& innerHigh,
                          int type)
{
    int const y0 = outerLow.y();
    int const y1 = outerHigh.y();
    Int3 const lows[4] = {Int3(outerLow.x(), y0, outerLow.z()), Int3(outerLow.x(), y0, innerHigh.z()),
                          Int3(outerLow.x(), y0, innerLow.z()), Int3(innerHigh.x(), y0, innerLow.z())};
    Int3 const highs[4] = {Int3(outerHigh.x(), y1, innerLow.z()), Int3(outerHigh.x(), y1, outerHigh.z()),
                           Int3(innerLow.x(), y1, innerHigh.z()), Int3(outerHigh.x(), y1, innerHigh.z())};
    for (int i = 0; i < 4; ++i)
        if (lows[i].x() < highs[i].x() && lows[i].z() < highs[i].z())
            addBox_(lows[i], highs[i], type);
}

void DemoWorld::addTerrain_()
{
    for (int i = -ISLAND_REGIONS; i < ISLAND_REGIONS; ++i)
        for (int k = -ISLAND_REGIONS; k < ISLAND_REGIONS; ++k)
            if (!(i >= -1 && i <= 0 && k >= -1 && k <= 0))
                addTerrainPatch_(Int3(i * REGION + REGION / 2, TERRAIN_BASE, k * REGION + REGION / 2));
}

void DemoWorld::addTerrainPatch_(Int3 const& centre)
{
    int const column = REGION / TERRAIN_SAMPLES;
    unsigned char heights[TERRAIN_SAMPLES * TERRAIN_SAMPLES] = {};
    for (int a = 0; a < TERRAIN_SAMPLES; ++a)
        for (int b = 0; b < TERRAIN_SAMPLES; ++b)
        {
            int const x = centre.x() - REGION / 2 + a * column + column / 2;
            int const z = centre.z() - REGION / 2 + b * column + column / 2;
            heights[a + TERRAIN_SAMPLES * b] =
                static_cast<unsigned char>(std::max(1, getTerrainTop_(x, z) - TERRAIN_BASE));
        }
    std::vector<Editor3DWorldGeneration::GeneratedBox> const patch = Editor3DWorldGeneration::planRandom(
        centre, 0, heights, Int2(TERRAIN_SAMPLES, TERRAIN_SAMPLES), REGION, DIRT, GRASS);
    for (Editor3DWorldGeneration::GeneratedBox const& box : patch)
    {
        // The surface follows the height: beaches by the water, snow on the peaks.
        int const top = box.cubeType == GRASS ? box.high.y() : box.high.y() + 1;
        int type = box.cubeType;
        if (top <= SAND_UP_TO)
            type = SAND;
        else if (top >= SNOW_FROM)
            type = box.cubeType == GRASS ? SNOW : STONE;
        addBox_(box.low, box.high, type);
    }
}

int DemoWorld::getTerrainTop_(int x, int z) const
{
    float const distance = std::min(1.0f, std::sqrt(float(x * x + z * z)) / ISLAND_RADIUS);
    int const width = heightmap.getWidth();
    int const height = heightmap.getHeight();
    int const px = std::clamp(int((float(x) + ISLAND_RADIUS) / (2.0f * ISLAND_RADIUS) * float(width)), 0, width - 1);
    int const py = std::clamp(int((float(z) + ISLAND_RADIUS) / (2.0f * ISLAND_RADIUS) * float(height)), 0, height - 1);
    float const level = float(heightmap.getPixel(Int2(px, py))[0]) / 255.0f;
    return int(std::lround((1.0f - distance * distance) * (4.0f + 28.0f * level))) - 5;
}

void DemoWorld::addObjects_()
{
    IndexedWorld* const world = editor.getIndexedWorld();
    for (Float3 const& coin : {Float3(0.f, 5.f, -40.f), Float3(40.f, 5.f, 0.f), Float3(-40.f, 5.f, 0.f),
                               Float3(0.f, 5.f, 40.f), Float3(70.f, 5.f, 70.f), Float3(-70.f, 5.f, 70.f),
                               Float3(70.f, 5.f, -70.f), Float3(-70.f, 5.f, -70.f), Float3(215.f, 5.f, 5.f)})
        world->addCustomObject(coin, COIN);
    world->addCustomObject(Float3(-235.0f, 150.0f + OBJECT_LIFT, 225.0f), GEM);
    // One object near the middle of every terrain region above the water: gems
    // on every third, coins on the others.
    int count = 0;
    for (int i = -ISLAND_REGIONS; i < ISLAND_REGIONS; ++i)
        for (int k = -ISLAND_REGIONS; k < ISLAND_REGIONS; ++k)
        {
            if (i >= -1 && i <= 0 && k >= -1 && k <= 0)
                continue;
            int const x = i * REGION + REGION / 2 + 2;
            int const z = k * REGION + REGION / 2 + 2;
            if (getGroundHeight(x, z) <= 0)
                continue;
            addObjectOnGround_(x, z, count % 3 == 2 ? GEM : COIN);
            ++count;
        }
}

void DemoWorld::addObjectOnGround_(int x, int z, int type)
{
    float const size = IndexedWorld::getSizeOneCube();
    Float3 const position((float(x) + 0.5f) * size, float(getGroundHeight(x, z)) * size + OBJECT_LIFT,
                          (float(z) + 0.5f) * size);
    editor.getIndexedWorld()->addCustomObject(position, type);
}

int DemoWorld::getGroundHeight(int x, int z) const
{
    int ground = TERRAIN_BASE;
    for (Editor3DWorldGeneration::GeneratedBox const& box : boxes)
        if (box.low.x() <= x && x < box.high.x() && box.low.z() <= z && z < box.high.z())
            ground = std::max(ground, box.high.y());
    return ground;
}

void DemoWorld::addShadows_()
{
    IndexedWorld* const world = editor.getIndexedWorld();
    WorldIndexator const* const index = world->getWorldIndexator();
    float const regionSize = IndexedWorld::getSizeOneRegion();
    int const firstY = index->getTableRegionOrigin().y();
    int const lastY = firstY + index->getTableRegionSize().y() - 1;
    for (int rx = -SHADOW_REGIONS; rx < SHADOW_REGIONS; ++rx)
        for (int rz = -SHADOW_REGIONS; rz < SHADOW_REGIONS; ++rz)
            for (int ry = firstY; ry <= lastY; ++ry)
                world->calculateStaticShadowsOneRegion(Float3(
                    (float(rx) + 0.5f) * regionSize, (float(ry) + 0.5f) * regionSize, (float(rz) + 0.5f) * regionSize));
}

void DemoWorld::addBox_(Int3 const& low, Int3 const& high, int type)
{
    Int3 const lowCorner(std::min(low.x(), high.x()), std::min(low.y(), high.y()), std::min(low.z(), high.z()));
    Int3 const highCorner(std::max(low.x(), high.x()), std::max(low.y(), high.y()), std::max(low.z(), high.z()));
    bool const added = editor.addCubeZoneWithRegionLimitCaretaking(lowCorner, highCorner, type);
    ASSERT(added, "a demo world box could not be added");
    Editor3DWorldGeneration::GeneratedBox box;
    box.low = lowCorner;
    box.high = highCorner;
    box.cubeType = type;
    boxes.push_back(box);
}
