#ifndef OBJMODEL_H
#define OBJMODEL_H

// A model read from an OBJ file, drawn from a display list compiled once per
// file and hit through a second, coarser copy of its mesh. Models are shared
// by exact file name through objModelLibrary: the first ObjModel of a file
// loads it, later ones only count a use, and the last one to go unloads it.

#include "Object3D.h"

#include <cstddef>
#include <string>
#include <vector>

class ObjMesh;

struct ObjModelLibraryElement
{
    // The collision copy of the mesh, welded coarser than the display list.
    ObjMesh* mesh = NULL;
    // Emptied at the last release, so that the element is never found again.
    std::string fileName;
    unsigned displayList = 0;
    int nbUses = 0;
};

// Elements keep their place for ever: a model's index into the list stays valid.
extern std::vector<ObjModelLibraryElement> objModelLibrary;

class ObjModel : public Object3D
{
public:
    // scale and the welds only matter to the first model of a file. A weld of
    // 0 keeps the vertices as read.
    ObjModel(std::string const& parFilename, float scale, float parMeshWeld, size_t parCollisionMeshWeld);
    ~ObjModel() override;
    ObjModel(ObjModel const&) = delete;
    ObjModel& operator=(ObjModel const&) = delete;

    void drawNoPos() const override;
    // The collision mesh itself, with smooth normals.
    void drawNoPosDebug() const;
    bool isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& out) const override;

    size_t getLibraryIndex() const;

private:
    void load_(std::string const& parFilename, float scale, float parMeshWeld, size_t parCollisionMeshWeld);

    size_t libraryIndex;
};

#endif
