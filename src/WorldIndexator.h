#ifndef WORLDINDEXATOR_H
#define WORLDINDEXATOR_H

// The region index: space cut into a regular grid of cubic regions, kept in a
// dense 3-D table that grows on demand in any direction and always holds the
// eight regions around the origin (absolute regions -1 and 0 on every axis).
// It owns the regions. It places each cube zone and script object in the
// region holding it (zones straddling a border are refused), manages and
// draws only the regions around the camera, releases the buffers of all
// others, drives the static shadow calculation region by region and reads
// and writes the region table part of the world file. Managing, drawing and
// the collision queries need the global device manager (the scene and its
// camera); building, editing, shadows and the file do not.

#include "BasicVector.h"
#include "CubeZone.h"
#include "CustomObject.h"
#include "RecordReader.h"
#include "RecordWriter.h"

#include <vector>

class WorldRegion;

class WorldIndexator
{
public:
    explicit WorldIndexator(float sizeOneRegion);
    ~WorldIndexator();
    WorldIndexator(WorldIndexator const&) = delete;
    WorldIndexator& operator=(WorldIndexator const&) = delete;

    float getSizeOneRegion() const;
    Int3 const& getTableRegionOrigin() const;
    Int3 const& getTableRegionSize() const;
    float getViewDistance() const;
    void setViewDistance(float distance);

    // Absolute region coordinates minus the origin (may lie outside the table).
    Int3 getTableRegionIndexFromRealPosition(Float3 const& position) const;
    Float3 getRealPositionRegionCenterFromTableRegionIndex(Int3 const& index) const;
    bool isIndexInTableRegion(Int3 const& index) const;
    WorldRegion* getWorldRegionFromTableRegionIndex(Int3 const& posIndex) const;

    // The one cell holding a box; grows the table when needed. False when the
    // box straddles a region border (0.01 of tolerance on either corner).
    bool getTableRegionIndexFromElementPosition(Float3 const& position, Float3 const& size, Int3& index);
    bool addElement(CubeZone const& zone);
    bool addElement(CustomObject const& object);
    // The object with that serial number in the region holding the position, NULL when not there.
    CustomObject* findCustomObject(uint64_t serial, Float3 const& position) const;

    // Moves the table's lower corner by modMin and its upper corner by modMax
    // (cells); regions keep their absolute place. Returns modMin.
    Int3 rescaleTableRegions(Int3 const& modMin, Int3 const& modMax);
    // Grows the table to include an absolute region; returns the shift of the old indices.
    Int3 rescaleTableRegionsToInclude(Int3 const& absoluteRegion);

    // The per-frame step around the scene's camera.
    void manage();
    // The same around a given point: manages the (2r + 1)^3 cells around it and
    // releases the buffers of every region not managed.
    void manageAround(Float3 const& cameraPosition);
    void draw(bool drawRegionBoxes) const;
    // Draws the work cube around the point: every region's opaque geometry
    // nearest first, then every region's translucent geometry, shadows and
    // script objects farthest first.
    void drawAround(Float3 const& cameraPosition, bool drawRegionBoxes) const;

    // Asks only the region holding the point.
    bool isThere3DIntersectionPoint(Float3 const& point) const;
    // Asks the regions around the camera, in the manage step's order.
    bool isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& hit) const;
    bool isThere3DIntersectionAround(Float3 const& cameraPosition, Float3 const& from, Float3 const& to,
                                     Float3& hit) const;

    bool clearRegion(Float3 const& position);
    bool removeNearestElement(Float3 const& position);
    bool removeElement(Float3 const& position);
    // Shrinks the table to the regions holding anything, keeping the initial eight.
    void removeUnusedRegions();
    // Every region rebuilds its buffer at its next draw.
    void resetStaticData();
    // Back to eight empty regions around the origin.
    void clearAll();

    // The zones of the cell's column and of its neighbour columns toward -x and -z.
    std::vector<CubeZone const*> getAllOcclusiveObjectsForOneRegion(Int3 const& index) const;
    void calculateStaticShadowsOneRegion(Float3 const& position) const;
    void calculateStaticShadowsAll();
    // The light above a cell for static shadows.
    Float3 getShadowLightOfRegion(Int3 const& index) const;

    // The region table of the world file: origin, size, then each cell's zone
    // block and object block, x outermost, z innermost.
    void saveWorldToFile(RecordWriter& writer) const;
    // Reads into a freshly cleared table, which grows to hold the file's cells
    // and keeps the regions around the origin.
    void loadWorldFromFile(RecordReader& reader);

    // The region radius of work around the camera: viewDistance / sizeOneRegion, truncated.
    int getWorkRadius() const;

private:
    void allocateTableRegions();
    void destroyTableRegions_();
    int getCellOffset_(Int3 const& index) const;
    // Absolute region of a coordinate; false when it is not finite or too far out.
    bool getAbsoluteRegion_(Float3 const& position, Int3& region) const;
    // The first cell and one past the last of the work cube around a point, clipped to the table.
    void getWorkCube_(Float3 const& cameraPosition, Int3& first, Int3& end) const;
    // The table indices of the work cube, by distance from the camera to their centres.
    std::vector<Int3> getWorkCubeNearestFirst_(Float3 const& cameraPosition) const;
    // The white wireframe outline of a region, for the editor.
    void drawRegionBox_(Int3 const& index) const;
    void placeMovedObjects_(std::vector<CustomObject> const& objects);
    void releaseUnmanagedRegions_();
    // Grows the table as it grows for elements, first to the file's first cell,
    // then to its last; a file table that this would not hold, or would join to
    // the origin only through a huge table, ends the program with a report.
    void growToHoldFileTable_(RecordReader const& reader, Int3 const& fileOrigin, Int3 const& fileSize);

    float sizeOneRegion;
    Int3 tableRegionOrigin;
    Int3 tableRegionSize;
    // size.x * size.y * size.z cells, x fastest; never a null cell.
    WorldRegion** tableRegions;
    // Radius of work around the camera in world units, set before each draw.
    float viewDistance;
};

#endif
