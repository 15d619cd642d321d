#ifndef ZONEGRID_H
#define ZONEGRID_H

// A uniform grid over the boxes of a region's cube zones, so that a point
// query looks at the few zones near the point instead of all of them. Each
// cell lists (by index into the zone list, in list order) every zone whose
// box, bounds included, touches it. The cells are about cubic, about as many
// as there are zones (a flat floor gets a flat grid), and coarser when zones
// overlap so much that the lists would grow far beyond the zone count. Built
// from a zone list and valid until that list changes; the owner rebuilds it then.

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
    // Zone indices held by all cells together.
    size_t getEntryCount() const;

private:
    // About targetCells cells of one edge length, at most 32 on an axis.
    void chooseCells_(double targetCells);
    // The cells per axis for cells of that edge length.
    Int3 getCellsForEdge_(double edge) const;
    // The cells each zone's box spans, and the entries they make in all.
    int64_t countEntries_(std::vector<Float3> const& mins, std::vector<Float3> const& maxs,
                          std::vector<Int3>& firstCells, std::vector<Int3>& lastCells) const;
    void fillCells_(std::vector<Int3> const& firstCells, std::vector<Int3> const& lastCells);
    // The cell coordinate of a value on one axis, clamped into the grid; the
    // mapping never decreases with the value, so a box's cells hold every
    // point of the box.
    int getCell_(float value, int axis) const;
    size_t getCellOffset_(int x, int y, int z) const;

    Float3 boundsMin;
    Float3 boundsMax;
    Int3 cellsPerAxis;
    // Cells per world unit on each axis.
    Float3 cellsPerUnit;
    // Compressed lists: the zones of cell c are zoneIndices[cellStart[c] .. cellStart[c + 1]).
    std::vector<int32_t> cellStart;
    std::vector<int32_t> zoneIndices;
};

#endif
