#ifndef ZONEGRID_H
#define ZONEGRID_H

// A uniform grid over the boxes of a region's cube zones, so that a point
// query looks at the few zones near the point instead of all of them. Each
// cell lists (by index into the zone list, in list order) every zone whose
// box, bounds included, touches it. Built from a zone list and valid until
// that list changes; the owner rebuilds it then.

#include "BasicVector.h"
#include "CubeZone.h"

#include <cstdint>
#include <vector>

class ZoneGrid
{
public:
    explicit ZoneGrid(std::vector<CubeZone> const& zones);

    // The zones whose box may hold the point: [first, last) into a list of
    // zone indices; empty when the point is outside every box.
    void getCandidates(Float3 const& point, int32_t const*& first, int32_t const*& last) const;

private:
    // The cell coordinate of a value on one axis, clamped into the grid; the
    // mapping never decreases with the value, so a box's cells hold every
    // point of the box.
    int getCell_(float value, int axis) const;

    Float3 boundsMin;
    Float3 boundsMax;
    // Cells per world unit on each axis.
    Float3 cellsPerUnit;
    int cellsPerAxis;
    // Compressed lists: the zones of cell c are zoneIndices[cellStart[c] .. cellStart[c + 1]).
    std::vector<int32_t> cellStart;
    std::vector<int32_t> zoneIndices;
};

#endif
