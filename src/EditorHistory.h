#ifndef EDITORHISTORY_H
#define EDITORHISTORY_H

// The editor's undo and redo: a list of steps, each holding what one editor
// command changed in the edited world (not owned) as it was before the command.
// A step is made around the command: opened before it, told which parts the
// command is about to touch (a region, the cube types, or everything), and
// closed after it. Only touched regions are copied, so a command working on
// one region costs a copy of that region whatever the world's size; the region
// table's bounds are kept with every step, since commands grow it. Undoing or
// redoing exchanges the step's contents with the world's, so the same step
// then holds what redo or undo brings back. The newest MAX_STEPS steps are
// kept, and fewer when their copies would take more than the memory budget
// (commands on the whole world of a large world copy all of it): the oldest
// undo steps go first, redo steps stay, and the newest step is always kept.
// Script objects keep moving while the editor works; steps of some regions
// leave objects that moved in or out since where they are (see
// exchangeRegionsKeepingMovedObjects_).

#include "BasicVector.h"
#include "CubeType.h"
#include "CubeZone.h"
#include "CustomObject.h"

#include <deque>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class IndexedWorld;
class WorldIndexator;
class WorldRegion;

class EditorHistory
{
public:
    static constexpr size_t MAX_STEPS = 100;
    static constexpr size_t DEFAULT_MAX_BYTES = size_t(512) << 20;

    explicit EditorHistory(IndexedWorld* world, size_t maxBytes = DEFAULT_MAX_BYTES);
    EditorHistory(EditorHistory const&) = delete;
    EditorHistory& operator=(EditorHistory const&) = delete;

    // Opens the step of one command; a step left open is replaced.
    void beginStep();
    // The region holding the position is about to change. Without an open step
    // (a change not made by an editor command) nothing is kept.
    void touchRegionAt(Float3 const& position);
    void touchCubeTypes();
    // Every region and the cube types are about to change.
    void touchWholeWorld();
    // Keeps the step when the command changed the world, which it tells with
    // changed; a step that touched nothing and left the table alone is dropped.
    // Keeping a step forgets every step that could be redone.
    void endStep(bool changed);

    // False when there is nothing to undo or redo.
    bool undo();
    bool redo();
    size_t getNbUndoSteps() const;
    size_t getNbRedoSteps() const;
    // What the kept steps' copies of zones, shadows and objects take.
    size_t getKeptBytes() const;

private:
    struct RegionElements
    {
        std::vector<CubeZone> zones;
        std::vector<CustomObject> objects;
        // The serials of the objects the step left in the world region (after
        // the command, then after each exchange): objects found there beyond
        // them came in on their own since, and stay in the world.
        std::set<uint64_t> serialsLeftInWorld;
    };
    struct CubeTypeRecord
    {
        std::string names[CubeType::NB_FACES];
        bool repeat[3] = {false, false, false};
        bool collidable = false;
    };
    // Orders absolute region coordinates for the map of a step.
    struct RegionOrder
    {
        bool operator()(Int3 const& a, Int3 const& b) const;
    };
    struct Step
    {
        Int3 tableOrigin;
        Int3 tableSize;
        // The regions, by absolute coordinate; every non-empty one when wholeWorld is set.
        std::map<Int3, RegionElements, RegionOrder> regions;
        bool wholeWorld = false;
        bool hasCubeTypes = false;
        std::vector<CubeTypeRecord> cubeTypes;
        // What its copies take, kept so the budget is checked without
        // walking every step.
        size_t bytes = 0;
    };

    WorldIndexator& indexator_() const;
    void copyRegion_(Int3 const& absoluteRegion, Step& step) const;
    std::vector<CubeTypeRecord> readCubeTypes_() const;
    void writeCubeTypes_(std::vector<CubeTypeRecord> const& records) const;
    // Puts the step's contents into the world and the world's into the step.
    void exchangeWithWorld_(Step& step) const;
    void exchangeRegions_(Step& step) const;
    // Script objects move on while the editor works. For a step of some
    // regions, objects that came into them since the step was last exchanged
    // stay in the world, and the copies the step brings back of objects now
    // living elsewhere (outside its regions, or come into another of them)
    // are dropped, so that no object is lost or doubled.
    void exchangeRegionsKeepingMovedObjects_(Step& step) const;
    // The objects of the region at that cell not left there by the step.
    static std::vector<CustomObject> objectsComeIn_(WorldRegion const& region, RegionElements const& elements);
    void recordObjectsLeftInWorld_(Step& step) const;
    // Gives the table the step's bounds, widened to any region not empty
    // outside them, and keeps the previous bounds in the step.
    void exchangeTableBounds_(Step& step) const;
    static size_t bytesOf_(Step const& step);
    // Recounts a step whose contents changed.
    void recount_(Step& step);
    // Forgets the oldest undo steps beyond the step count or the budget.
    void trim_();

    IndexedWorld* world;
    size_t maxBytes;
    // The bytes of every undo and redo step.
    size_t keptBytes;
    bool isStepOpen;
    Step openStep;
    std::deque<Step> undoSteps;
    std::vector<Step> redoSteps;
};

#endif
