#ifndef DEMOWORLD_H
#define DEMOWORLD_H

// The demo game's world, built into an empty indexed world through the
// editor's own box addition, the terrain generator's patches and the world's
// shadow calculation, so that the file it saves is exactly what the editor
// would have made. It holds the editor it builds with (not owned) and the
// list of every box it added (to find the ground under the script objects).
//
// Layout, in cubes of 10 world units (grid y = world y / 10):
// - Plaza: cobblestone, grid x, z in [-12, 12), one cube thick with its top at
//   world y = 0; the player starts at (0, 30, 0) and falls onto it. Nothing
//   solid stands over x, z in [-100, 100] world units.
// - Around it, up to the four central regions' edges (grid x, z in [-32, 32)),
//   a grass floor at the same height over a dirt layer down to grid y = -8,
//   with a lake (a sand basin whose top is at world y = -30, grid x in
//   [-28, -16), z in [-12, 12)) that the water plane fills.
// - Buildings on that floor, each wall with a row of glass windows and, at
//   ground level, a door in its middle: a brick house with a wooden roof
//   (grid x [16, 27), z [-5, 6)); a stone tower
//   with glass windows and a cobblestone top (x [-28, -20), z [18, 26)); a
//   wooden cabin with a brick roof (x [16, 24), z [18, 26)); trees of wood
//   and leaves in the corners.
// - An island of height-map terrain on the 32 regions around the central
//   four (grid x, z in [-96, 96)): columns of 4 x 4 cubes on a base at grid
//   y = -8, highest near the middle and sinking under the water towards the
//   shore, with the generator's random rocks on them; sand up to grid y = 1,
//   grass and dirt above, snow on stone from grid y = 16.
// - Static shadows for the four central regions (grid x, z in [-32, 32)):
//   the plaza and the buildings; the terrain has none, which keeps the file
//   small (its partial shadows would take several megabytes).
// - Script objects: coins (type 0) at world (0, 5, -40), (40, 5, 0),
//   (-40, 5, 0), (0, 5, 40), one in the house and more on the terrain; gems
//   (type 1) on the terrain and on the tower, 5 world units above the ground.
// The generator's random draws start from a fixed seed: the same world,
// byte for byte, every time.

#include "BasicVector.h"
#include "Editor3DWorldGeneration.h"

#include <string>
#include <vector>

class Editor3D;
class Image;

class DemoWorld
{
public:
    // Cube type ids, in the order they are added.
    enum CubeTypeId
    {
        GRASS,
        DIRT,
        STONE,
        COBBLESTONE,
        SAND,
        WOOD,
        LEAVES,
        BRICK,
        SNOW,
        GLASS,
        NB_CUBE_TYPES
    };
    // Script object types, as the game script numbers them.
    static constexpr int COIN = 0;
    static constexpr int GEM = 1;

    // The editor's world must be empty and without cube types.
    DemoWorld(Editor3D& editor, Image const& heightmap);

    // Everything, shadows included.
    void build();

    // Builds the demo world from the game folder's height map (the editor
    // also needs the folder's font) and saves it to the file. No window needed.
    static void writeWorldFile(std::string const& gameFolder, std::string const& fileName);

    // The top of the highest box over the cube column (x, z), in grid y; the
    // terrain base when nothing stands there.
    int getGroundHeight(int x, int z) const;

private:
    void addCubeTypes_();
    void addCentre_();
    void addTerrain_();
    void addTerrainPatch_(Int3 const& centre);
    void addBuildings_();
    void addTree_(Int3 const& foot);
    void addObjects_();
    void addObjectOnGround_(int x, int z, int type);
    void addShadows_();

    // Walls one cube thick around the footprint [low, high); the window row
    // (grid y low.y + 1 and + 2) alternates pillars and glass; walls of six
    // cubes or more standing on the floor get a door two cubes wide.
    void addWindowedWalls_(Int3 const& low, Int3 const& high, int wallType);
    void addWindowedWall_(Int3 const& low, Int3 const& high, int axis, int wallType);
    // [outer) minus [inner) on x and z, over the y range of outer.
    void addFrame_(Int3 const& outerLow, Int3 const& outerHigh, Int3 const& innerLow, Int3 const& innerHigh, int type);
    void addBox_(Int3 const& low, Int3 const& high, int type);

    // The terrain's top at a column centre, from the height map and the island's shape.
    int getTerrainTop_(int x, int z) const;

    Editor3D& editor;
    Image const& heightmap;
    std::vector<Editor3DWorldGeneration::GeneratedBox> boxes;
};

#endif
