#ifndef INDEXEDWORLD_H
#define INDEXEDWORLD_H

// The cube world as the rest of the game uses it: the one object that owns the
// cube type registry, the script object type registry, the region index and
// the water. It runs the per-frame manage step, draws the world, the water and
// the under-water tint, answers collision queries, carries out the editor's
// changes, computes static shadows on request, and reads and writes the world
// file ("WORLD", version 1, the cube types, then the region table). The three
// registries are process-wide, so only one indexed world exists at a time.
// Loading, editing, shadows and saving work without a window (the tools use
// them); the frame operations need the global device manager (the scene, the
// sprites), and textures are only made when something is drawn.

#include "BasicVector.h"

#include <cstdint>
#include <cstdio>
#include <string>

class CubeType;
class CustomObject;
class Font;
class LuaFuncs;
class SoundManager;
class Water;
class WorldIndexator;

class IndexedWorld
{
public:
    // Loads the world file; a missing or bad file ends the program.
    IndexedWorld(Font const* font, std::string const& worldFileName, SoundManager* soundManager);
    // An empty world without cube types, for tools that build one.
    IndexedWorld(Font const* font, SoundManager* soundManager);
    ~IndexedWorld();
    IndexedWorld(IndexedWorld const&) = delete;
    IndexedWorld& operator=(IndexedWorld const&) = delete;

    static float getSizeOneCube();
    static float getSizeOneRegion();
    static int getCubesSizeOneRegion();

    // One frame: the regions around the camera and their script objects
    // advance; types no managed element used lose their textures or script state.
    void manage(LuaFuncs* luaFuncs);
    void draw(float viewDistance, bool drawAlsoPositionCube, bool drawRegionBoxes) const;
    // The water plane between the two distances, following the camera.
    void drawWaterOnlyFromTo(float minDistance, float maxDistance) const;
    // The full-screen tint while the camera is under water.
    void draw2D() const;
    float getViewDistance() const;

    bool getWaterEnable() const;
    void setWaterEnable(bool enable);
    bool getEnableShadows() const;
    // Every region rebuilds its buffer with or without shadow triangles.
    void setEnableShadows(bool enable);
    // Releases the script state of every script object type.
    void freeCustomObjects(LuaFuncs* luaFuncs);

    bool isThere3DIntersectionPoint(Float3 const& point) const;
    bool isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& hit) const;

    int getNbCubeType() const;
    // Marks the type used; id must be below getNbCubeType().
    CubeType* getCubeType(int id);
    // names in the editor's dialog order (see CubeTypeManager::addCubeType); returns the new id.
    int addCubeType(std::string const names[6], bool const* repeat, bool collidable);
    void removeLastCubeType();

    // False, and nothing added, when the zone straddles a region border.
    bool addCubeZone(Float3 const& position, Float3 const& size, int id);
    void addCustomObject(Float3 const& position, int id);
    // The script object with that serial number in the region holding the
    // position, NULL when it is not there or no indexed world exists.
    static CustomObject* findCustomObject(uint64_t serial, Float3 const& position);
    bool removeElement(Float3 const& position);
    bool removeNearestElementInRegion(Float3 const& position);
    bool clearRegion(Float3 const& position);
    // Empties every region; the cube types stay.
    void clearAll();
    void removeUnusedRegions();
    void calculateStaticShadowsOneRegion(Float3 const& position);
    void calculateStaticShadowsAll();

    // Never loses the previous file: the world goes to a temporary file beside
    // it, which replaces it only once completely written and flushed to disk.
    // Through a symbolic link, the file the link names is the one replaced.
    void saveWorldToFile(std::string const& fileName) const;
    // Replaces the cube types and every region with the file's; the script
    // object types stay. A bad file ends the program with a report naming it.
    void clearAndLoadWorldFromFile(std::string const& fileName);

    WorldIndexator const* getWorldIndexator() const;
    WorldIndexator* getWorldIndexator();
    Water const* getWater() const;

private:
    // Opens the file and checks its magic and version; the reader starts after them.
    FILE* openWorldFile_(std::string const& fileName) const;
    void writeWorld_(FILE* file) const;

    Water* water;
    // Set every frame from the script's choice; off, nothing of the water is drawn.
    bool waterEnable;
};

#endif
