#ifndef OBJMESH_H
#define OBJMESH_H

// A mesh read from a Wavefront OBJ file with its MTL materials: the vertex,
// normal and texture-coordinate arrays, the triangles the faces were cut into,
// the materials and the groups that tie triangles to materials. The arrays are
// numbered from 1 as the file numbers them (entry 0 is never used), so a
// triangle keeps the file's own indices. The mesh owns its materials' texture
// sprites and gives them back to the sprite manager when it is deleted.
//
// The glm* functions are the mesh operations: normals, welding, lookups and
// drawing; reading is glmReadOBJ of ObjMeshReader.

#include "BasicVector.h"

#include <optional>
#include <string>
#include <vector>

class Sprite;

class ObjMesh
{
public:
    struct Material
    {
        Material();

        std::string name;
        float diffuse[4];
        float ambient[4];
        float specular[4];
        float emissive[4];
        float shininess;
        Sprite* texture;
        // The texture of the sprite's first image, kept with it so that drawing
        // binds it without asking the sprite.
        unsigned textureId;
        // The texture's path (the OBJ folder and the name the MTL gives) and
        // where it was named: the sprite is made once the whole model is read,
        // and a missing picture is reported at the line that asked for it.
        std::string textureFile;
        std::string textureOrigin;
        Float3 textureScale;
        // Set by a map_Ka line: from then on the other map_ lines are ignored.
        bool textureFromMapKa;
    };

    struct Triangle
    {
        unsigned vindices[3] = {0, 0, 0};
        unsigned nindices[3] = {0, 0, 0};
        unsigned tindices[3] = {0, 0, 0};
        unsigned findex = 0;
    };

    struct Group
    {
        std::string name;
        std::vector<unsigned> triangles;
        unsigned material = 0;
    };

    ObjMesh();
    // Gives the material sprites back to the sprite manager.
    ~ObjMesh();
    ObjMesh(ObjMesh const&) = delete;
    ObjMesh& operator=(ObjMesh const&) = delete;

    unsigned getNumVertices() const;
    unsigned getNumNormals() const;
    unsigned getNumTexcoords() const;

    // Multiplies every vertex coordinate by factor.
    void scale(float factor);

    // The first triangle (in order) that the segment from -> to hits, with the
    // hit point in out. A corner closer than one unit to a triangle's plane,
    // inside its outline, counts as touching; a segment parallel to the plane
    // never hits. Needs the facet normals.
    bool findFirstSegmentHit(Float3 const& from, Float3 const& to, Float3& out) const;

    std::string pathname;
    std::string mtllibname;
    // Entry 0 of each array is unused: the indices are the file's, from 1.
    std::vector<Float3> vertices;
    std::vector<Float3> normals;
    std::vector<Float2> texcoords;
    // Empty until glmFacetNormals: whether they exist is part of the mesh state.
    std::optional<std::vector<Float3>> facetnorms;
    std::vector<Triangle> triangles;
    // Entry 0 is "default" once a material library was read; empty without one.
    std::vector<Material> materials;
    // "default" exists from the start.
    std::vector<Group> groups;
};

// Draw modes, combined as bit flags.
constexpr unsigned GLM_NONE = 0;
constexpr unsigned GLM_FLAT = 1;
constexpr unsigned GLM_SMOOTH = 2;
constexpr unsigned GLM_TEXTURE = 4;
constexpr unsigned GLM_COLOR = 8;
constexpr unsigned GLM_MATERIAL = 16;

// One unit normal per triangle, from its corners (a triangle without area gets 0).
void glmFacetNormals(ObjMesh& model);
// Replaces the normals: at each vertex, the triangles turned less than angle
// degrees from the vertex's first triangle share their averaged normal; the
// others keep their own facet normal there.
void glmVertexNormals(ObjMesh& model, float angle);
// Merges each vertex into the first earlier kept vertex within epsilon on every
// axis, and renumbers the triangles.
void glmWeld(ObjMesh& model, float epsilon);
// Draws with the current matrix; features the mesh lacks are dropped with a warning.
void glmDraw(ObjMesh const& model, unsigned mode);
void glmDelete(ObjMesh* model);
// Index of the first group of that name, or -1.
int glmFindGroup(ObjMesh const& model, std::string const& name);
// The group of that name, created at the end of the list when it is new.
unsigned glmAddGroup(ObjMesh& model, std::string const& name);
// Index of the first material of that name; an unknown name is reported and gives 0.
unsigned glmFindMaterial(ObjMesh const& model, std::string const& name);

#endif
