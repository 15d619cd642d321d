#ifndef CUBEZONE_H
#define CUBEZONE_H

// A box completely filled with cubes of one cube type: the unit of world
// geometry. A zone holds its centre, its full size, its cube type id and the
// static shadows computed for its faces; it has no identity beyond these and
// is copied by value into and out of regions. It puts its faces and shadow
// triangles into a region's vertex buffer and answers point and segment
// collision queries, resolving its type through cubeTypeManagerInstance.
// A zone whose id is at or beyond the number of types (after the last type
// was removed) is kept and saved unchanged but never drawn and never collides.

#include "BasicVector.h"
#include "RecordReader.h"
#include "RecordWriter.h"

#include <cstdint>
#include <vector>

class CubeType;
class EnhancedVBO;

class CubeZone
{
public:
    // Shadow face order (shadow lists and flags only): 0 -x, 1 +x, 2 -y, 3 +y, 4 -z, 5 +z.
    static constexpr int NB_SHADOW_FACES = 6;
    // When false, zones put no shadow triangles into vertex buffers; change it
    // only together with a rebuild of every region's buffer.
    static bool enableShadows;

    CubeZone(Float3 const& position, Float3 const& size, int32_t id);
    // The cube zone record of the world file; a negative type id is corrupt.
    explicit CubeZone(RecordReader& reader);

    void saveToFile(RecordWriter& writer) const;

    static float getSizeOneCube();
    Float3 const& getPosition() const;
    Float3 const& getSize() const;
    int32_t getId() const;
    // Triangle vertices relative to the position; empty when the face has no partial shadow.
    std::vector<Float3> const& getShadowTriangles(int shadowFace) const;
    bool getIsFaceInShadow(int shadowFace) const;
    void setShadows(std::vector<Float3> const triangles[NB_SHADOW_FACES], bool const inShadow[NB_SHADOW_FACES]);

    // The four corners of each face in face-index order, in world units, and
    // their texture coordinates (v flipped), repeating once per cube.
    void getFacesGeometry(Float3 vertices[24], Float2 texCoords[24]) const;
    // Adds the six faces (shadowed texture on wholly shadowed faces; faces of
    // translucent pictures marked so) and, when shadows are enabled, the
    // lifted shadow triangles displayed at last.
    void fillEnhancedVBO(EnhancedVBO& vbo) const;
    // Marks the type used; returns false: a zone never asks to be removed.
    bool manage() const;
    // Bounds included on every axis; false for a non-collidable type.
    bool isThere3DIntersectionPoint(Float3 const& point) const;
    // Samples from `to` toward `from` one unit apart; the first sample inside
    // is the hit. Only segments whose from.x is greater than to.x can hit.
    bool isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& hit) const;
    // Replaces the shadow data from the occluding zones and a point light.
    void calculateStaticShadows(std::vector<CubeZone const*> const& occluders, Float3 const& lightPosition);

    // True when the id names an existing cube type.
    bool hasCubeType() const;

private:
    // The type when the id names one (marking it used), NULL otherwise.
    CubeType* lookUpCubeType_() const;

    int32_t id;
    Float3 position;
    Float3 size;
    // Not used by this program, but read and written unchanged so files keep it.
    int32_t reserved;
    std::vector<Float3> shadowTriangles[NB_SHADOW_FACES];
    // A wholly shadowed face is drawn with the darker texture and has no triangles.
    bool isFaceInShadow[NB_SHADOW_FACES];
};

#endif
