#ifndef CUBETYPEMANAGER_H
#define CUBETYPEMANAGER_H

// The registry of cube types: a type's id is its position in the list, so
// types are only removed from the end (or all at once) and the ids of the
// others never change. One manager exists at a time, reached by the cube zones
// through the global cubeTypeManagerInstance; it owns its types.

#include "CubeType.h"

#include <vector>

class CubeTypeManager;
extern CubeTypeManager* cubeTypeManagerInstance;

class CubeTypeManager
{
public:
    CubeTypeManager();
    ~CubeTypeManager();
    CubeTypeManager(CubeTypeManager const&) = delete;
    CubeTypeManager& operator=(CubeTypeManager const&) = delete;

    // Marks the type used; id must be below getNbCubeType().
    CubeType* getCubeType(unsigned id);
    unsigned getNbCubeType() const;

    // Face order as the editor's dialog gives it: the first two names go to
    // the front and back faces, the third and fourth to top and bottom, the
    // last two to left and right. Returns the new type's id.
    unsigned addCubeType(std::string const names[CubeType::NB_FACES], bool const* repeat, bool collidable);
    // Appends a type read from its world file record; returns its id.
    unsigned addCubeTypeFromFile(RecordReader& reader);
    void removeLastCubeType();
    void removeAllCubeTypes();

    // The per-step texture release: initUnused before the step, freeUnused after.
    void initUnused();
    void freeUnused();

private:
    std::vector<CubeType*> cubeTypes;
};

#endif
