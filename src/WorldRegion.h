#ifndef WORLDREGION_H
#define WORLDREGION_H

// One cell of the region table: a cube of space (320 units on a side) that
// owns, by value, the cube zones and script objects lying in it, and the
// vertex buffer holding its zones' geometry. It is the unit of drawing,
// managing, releasing distant memory, shadow calculation and file storage.
// The buffer is built by the first draw after a change and discarded by every
// change; the elements themselves always stay in memory. The region never
// checks that its elements lie inside it: the region index places them.

#include "BasicVector.h"
#include "CubeZone.h"
#include "CustomObject.h"
#include "EnhancedVBO.h"
#include "RecordReader.h"
#include "RecordWriter.h"

#include <memory>
#include <vector>

class ZoneGrid;

class WorldRegion
{
public:
    WorldRegion();
    ~WorldRegion();
    WorldRegion(WorldRegion const&) = delete;
    WorldRegion& operator=(WorldRegion const&) = delete;

    // Discards the buffer; true when it held geometry.
    bool clearStatic();
    // Builds the buffer if needed and draws its opaque layer, without
    // blending. Returns (buffers, vertices) created by building, (0, 0) when
    // it existed.
    Int2 drawOpaque() const;
    // What blends over what lies behind, after drawOpaque: the buffer's
    // translucent layer, its shadows, then the script objects.
    void drawBlended() const;
    // The region alone: drawOpaque, then drawBlended.
    Int2 draw() const;
    // Manages every element: marks the zones' cube types used (zones never
    // move) and runs every script object; objects whose position changed leave
    // the region and are appended to objectsToMove for the caller to place again.
    void manage(std::vector<CustomObject>& objectsToMove);

    bool isThere3DIntersectionPoint(Float3 const& point) const;
    // The first zone, in list order, whose segment query succeeds.
    bool isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& hit) const;

    // Every zone occludes; script objects do not. Valid until the zones change.
    std::vector<CubeZone const*> getAllOcclusiveObjects() const;
    void calculateStaticShadows(std::vector<CubeZone const*> const& occluders, Float3 const& lightPosition);

    void addCubeZone(CubeZone const& zone);
    void addCustomObject(CustomObject const& object);
    // The zone nearest to the point (later wins ties); only with no zone, the nearest object.
    bool removeNearestElement(Float3 const& point);
    // The first zone containing the point or centred exactly on it, else the
    // first object exactly at the point.
    bool removeElement(Float3 const& point);
    void clearAll();
    // Exchanges the region's zones and objects with the given lists (the
    // editor's undo keeps them), in order and by value.
    void swapElements(std::vector<CubeZone>& zones, std::vector<CustomObject>& objects);

    // One element block of the world file: zones, or script objects when objects is set.
    void saveToFile(RecordWriter& writer, bool objects) const;
    // Appends the block's elements to the list (the list is not cleared first).
    void loadFromFile(RecordReader& reader, bool objects);

    std::vector<CubeZone> const& getCubeZones() const;
    std::vector<CustomObject> const& getCustomObjects() const;
    // The region's object with that serial number, NULL when it holds none.
    CustomObject* findCustomObject(uint64_t serial);
    // Grows whenever an object list of any region changes in a way that may
    // move or free its objects: a pointer to an object taken before stays
    // valid while this count stays the same.
    static uint64_t getObjectListsVersion();
    bool isEmpty() const;
    bool hasBuffer() const;
    bool getWasManaged() const;
    // Reads and clears the managed flag (the region index's release step).
    bool takeWasManaged();

private:
    void buildBuffer_(Int2& created) const;
    static void objectsChanged_();
    // Every change to the zones: the buffer and the zone caches are dropped.
    void zonesChanged_();
    // Zones never move or ask to be removed: managing them is marking their types used.
    void manageZones_() const;

    // Built lazily by the const draw, hence mutable.
    mutable EnhancedVBO* vbo;
    std::vector<CubeZone> cubeZones;
    // Built on the first point query after a change, so collision queries
    // look at the zones near the point only.
    mutable std::unique_ptr<ZoneGrid> zoneGrid;
    // The distinct cube type ids of the zones, built on the first manage after
    // a change, so a step marks each type once instead of once per zone.
    mutable std::vector<int32_t> zoneTypeIds;
    mutable bool zoneTypeIdsValid;
    std::vector<CustomObject> customObjects;
    // Tells the region index which regions lay outside the work cube this step.
    bool wasManaged;
};

#endif
