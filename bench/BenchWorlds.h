#ifndef BENCHWORLDS_H
#define BENCHWORLDS_H

// What the benchmark programs share to set up a cube world: an empty world
// file, the two cube types of the generated landscape, and a zone count.

#include "IndexedWorld.h"
#include "RecordWriter.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace BenchWorlds
{
// A world file without cube types and with an empty table of 2 x 2 x 2
// regions; the benchmarks add their terrain through the world's own calls.
inline void writeEmptyWorld(std::string const& path)
{
    FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == NULL)
        std::abort();
    RecordWriter writer(file);
    std::fwrite("WORLD", 1, 5, file);
    writer.writeInt32(1);
    writer.writeInt32(0);
    for (int32_t const value : {-1, -1, -1, 2, 2, 2})
        writer.writeInt32(value);
    for (int block = 0; block < 8 * 2; ++block)
    {
        writer.writeInt32(0);
        writer.writeInt32(0);
    }
    std::fclose(file);
}

// Type 0 dirt, type 1 grass: the fill and top types of the generated landscape.
inline void addDirtAndGrassTypes(IndexedWorld& world)
{
    bool const noRepeat[3] = {false, false, false};
    std::string const dirt[6] = {"dirt.png", "dirt.png", "dirt.png", "dirt.png", "dirt.png", "dirt.png"};
    std::string const grass[6] = {"grass_side.png", "grass_side.png", "grass_top.png", "dirt.png", "grass_side.png",
                                  "grass_side.png"};
    world.addCubeType(dirt, noRepeat, true);
    world.addCubeType(grass, noRepeat, true);
}

inline int countZones(IndexedWorld const& world)
{
    WorldIndexator const* const index = world.getWorldIndexator();
    Int3 const size = index->getTableRegionSize();
    int zones = 0;
    Int3 cell;
    for (cell.x() = 0; cell.x() < size.x(); ++cell.x())
        for (cell.y() = 0; cell.y() < size.y(); ++cell.y())
            for (cell.z() = 0; cell.z() < size.z(); ++cell.z())
                zones += int(index->getWorldRegionFromTableRegionIndex(cell)->getCubeZones().size());
    return zones;
}
}

#endif
