#include "WorldExamination.h"

#include "CubeType.h"
#include "CubeZone.h"
#include "CustomObject.h"
#include "FileManager.h"
#include "IndexedWorld.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"

#include <functional>
#include <map>
#include <sstream>

namespace
{
char const* const FACE_NAMES[CubeType::NB_FACES] = {"top", "bottom", "front", "back", "left", "right"};
int const NB_SHADOW_FACES = 6;

std::string text(Int3 const& v)
{
    return "(" + std::to_string(v.x()) + ", " + std::to_string(v.y()) + ", " + std::to_string(v.z()) + ")";
}

std::string text(Float3 const& v)
{
    std::ostringstream out;
    out << "(" << v.x() << ", " << v.y() << ", " << v.z() << ")";
    return out.str();
}

// Every region of the table, with its absolute region coordinates, in file order.
void forEachRegion(IndexedWorld const& world, std::function<void(Int3 const&, WorldRegion const&)> const& visit)
{
    WorldIndexator const* const index = world.getWorldIndexator();
    Int3 const& size = index->getTableRegionSize();
    for (int x = 0; x < size.x(); ++x)
        for (int y = 0; y < size.y(); ++y)
            for (int z = 0; z < size.z(); ++z)
            {
                Int3 const cell(x, y, z);
                visit(index->getTableRegionOrigin() + cell, *index->getWorldRegionFromTableRegionIndex(cell));
            }
}

struct ShadowCounts
{
    int zonesWithShadows = 0;
    long vertices = 0;
    int facesInShadow = 0;
};

void countShadows(CubeZone const& zone, ShadowCounts& counts)
{
    bool hasShadows = false;
    for (int face = 0; face < NB_SHADOW_FACES; ++face)
    {
        counts.vertices += long(zone.getShadowTriangles(face).size());
        counts.facesInShadow += zone.getIsFaceInShadow(face) ? 1 : 0;
        hasShadows = hasShadows || zone.getIsFaceInShadow(face) || !zone.getShadowTriangles(face).empty();
    }
    counts.zonesWithShadows += hasShadows ? 1 : 0;
}

std::string describeObjectTypes(std::map<int, int> const& countByType)
{
    std::string result;
    for (std::pair<int const, int> const& entry : countByType)
        result += (result.empty() ? "" : ", ") + std::string("type ") + std::to_string(entry.first) + ": " +
                  std::to_string(entry.second);
    return result.empty() ? "none" : result;
}

void printCubeTypes(IndexedWorld& world, std::ostream& out)
{
    out << "Cube types: " << world.getNbCubeType() << std::endl;
    for (int id = 0; id < world.getNbCubeType(); ++id)
    {
        CubeType const* const type = world.getCubeType(id);
        out << "  " << id << ":";
        for (int face = 0; face < CubeType::NB_FACES; ++face)
            out << (face == 0 ? " " : ", ") << FACE_NAMES[face] << " " << type->getTextureFilename(face);
        out << (type->getIsCollidable() ? "; collidable" : "; not collidable") << std::endl;
    }
}
} // namespace

namespace WorldExamination
{
void printSummary(IndexedWorld& world, std::ostream& out)
{
    printCubeTypes(world, out);
    WorldIndexator const* const index = world.getWorldIndexator();
    out << "Region table: origin " << text(index->getTableRegionOrigin()) << ", size "
        << text(index->getTableRegionSize()) << std::endl;
    int regionsWithContent = 0;
    size_t totalZones = 0;
    std::map<int, int> totalObjects;
    ShadowCounts totalShadows;
    forEachRegion(world, [&](Int3 const& region, WorldRegion const& content) {
        if (content.isEmpty())
            return;
        ++regionsWithContent;
        std::map<int, int> objects;
        for (CustomObject const& object : content.getCustomObjects())
            ++objects[object.getId()];
        ShadowCounts shadows;
        for (CubeZone const& zone : content.getCubeZones())
            countShadows(zone, shadows);
        out << "  region " << text(region) << ": " << content.getCubeZones().size() << " zones, objects "
            << describeObjectTypes(objects) << ", shadows on " << shadows.zonesWithShadows << " zones ("
            << shadows.vertices << " triangle vertices, " << shadows.facesInShadow << " faces wholly in shadow)"
            << std::endl;
        totalZones += content.getCubeZones().size();
        for (std::pair<int const, int> const& entry : objects)
            totalObjects[entry.first] += entry.second;
        totalShadows.zonesWithShadows += shadows.zonesWithShadows;
        totalShadows.vertices += shadows.vertices;
        totalShadows.facesInShadow += shadows.facesInShadow;
    });
    out << "Total: " << regionsWithContent << " regions with content, " << totalZones << " zones, objects "
        << describeObjectTypes(totalObjects) << ", shadows on " << totalShadows.zonesWithShadows << " zones ("
        << totalShadows.vertices << " triangle vertices, " << totalShadows.facesInShadow << " faces wholly in shadow)"
        << std::endl;
}

std::set<int> getObjectTypes(IndexedWorld const& world)
{
    std::set<int> types;
    forEachRegion(world, [&](Int3 const&, WorldRegion const& content) {
        for (CustomObject const& object : content.getCustomObjects())
            types.insert(object.getId());
    });
    return types;
}

std::vector<std::string> checkTextures(IndexedWorld& world, std::string const& gameFolder)
{
    std::set<std::string> missing;
    for (int id = 0; id < world.getNbCubeType(); ++id)
        for (int face = 0; face < CubeType::NB_FACES; ++face)
            for (char const* directory : {CubeType::DIRECTORY_TEXTURES, CubeType::DIRECTORY_SHADOWED_TEXTURES})
            {
                std::string const path = directory + world.getCubeType(id)->getTextureFilename(face);
                if (!FileManager::fileExists(gameFolder + "/" + path))
                    missing.insert(path);
            }
    std::vector<std::string> problems;
    for (std::string const& path : missing)
        problems.push_back("missing texture " + path);
    return problems;
}

std::vector<std::string> checkZoneCubeTypes(IndexedWorld const& world)
{
    std::vector<std::string> problems;
    int const count = world.getNbCubeType();
    forEachRegion(world, [&](Int3 const& region, WorldRegion const& content) {
        for (CubeZone const& zone : content.getCubeZones())
            if (zone.getId() < 0 || zone.getId() >= count)
                problems.push_back("the zone at " + text(zone.getPosition()) + " in region " + text(region) +
                                   " uses cube type " + std::to_string(zone.getId()) + ", but the world has " +
                                   std::to_string(count) + " cube types");
    });
    return problems;
}
} // namespace WorldExamination
