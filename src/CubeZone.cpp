#include "CubeZone.h"

#include "CubeTypeManager.h"
#include "CubeZoneStaticShadows.h"
#include "EnhancedVBO.h"
#include "Errors.h"
#include "GLManager.h"
#include "Image.h"
#include "MathManager.h"
#include "Scene3D.h"
#include "Sprite.h"

#include <algorithm>
#include <cmath>

bool CubeZone::enableShadows = true;

namespace
{
// Shadow face of each face index (0 top +y, 1 bottom -y, 2 front +z, 3 back -z, 4 left -x, 5 right +x).
int const SHADOW_FACE_OF_FACE[6] = {3, 2, 5, 4, 0, 1};
// Shadow triangles float this far off their face so they never fight with it for depth.
float const SHADOW_LIFT = 0.1f;
// What the reports name when a shadow list is damaged.
char const* const SHADOW_LIST_WHAT = "a cube zone's shadow list";

int textureOf(Sprite const* sprite)
{
    return sprite->getCurrentImage()->getTextureId();
}

Float3 getShadowLift(int shadowFace)
{
    Float3 lift(0.f, 0.f, 0.f);
    lift[shadowFace / 2] = (shadowFace % 2 == 0) ? -SHADOW_LIFT : SHADOW_LIFT;
    return lift;
}
}

CubeZone::CubeZone(Float3 const& position, Float3 const& size, int32_t id)
    : id(id), position(position), size(size), reserved(0), isFaceInShadow{}
{
    ASSERT(id >= 0, NULL);
}

CubeZone::CubeZone(RecordReader& reader) : id(0), position(), size(), reserved(0), isFaceInShadow{}
{
    position = reader.readFloat3("a cube zone's position");
    size = reader.readFloat3("a cube zone's size");
    id = reader.readInt32("a cube zone's cube type id");
    if (id < 0)
        reader.failCorrupt("a cube zone has the negative cube type id " + std::to_string(id));
    reserved = reader.readInt32("a cube zone's reserved field");
    for (int k = 0; k < NB_SHADOW_FACES; ++k)
    {
        int32_t const count = reader.readInt32(SHADOW_LIST_WHAT);
        if (count == -1)
        {
            isFaceInShadow[k] = true;
            continue;
        }
        reader.checkCount(count, 12, SHADOW_LIST_WHAT);
        shadowTriangles[k].resize(size_t(count));
        reader.readFloats(shadowTriangles[k].empty() ? NULL : shadowTriangles[k][0].data(), int64_t(count) * 3,
                          SHADOW_LIST_WHAT);
    }
}

void CubeZone::saveToFile(RecordWriter& writer) const
{
    writer.writeFloat3(position);
    writer.writeFloat3(size);
    writer.writeInt32(id);
    writer.writeInt32(reserved);
    for (int k = 0; k < NB_SHADOW_FACES; ++k)
    {
        if (isFaceInShadow[k])
        {
            writer.writeInt32(-1);
            continue;
        }
        std::vector<Float3> const& list = shadowTriangles[k];
        writer.writeInt32(int32_t(list.size()));
        if (!list.empty())
            writer.writeFloats(list[0].data(), int64_t(list.size()) * 3);
    }
}

float CubeZone::getSizeOneCube()
{
    return 10.f;
}

Float3 const& CubeZone::getPosition() const
{
    return position;
}

Float3 const& CubeZone::getSize() const
{
    return size;
}

int32_t CubeZone::getId() const
{
    return id;
}

std::vector<Float3> const& CubeZone::getShadowTriangles(int shadowFace) const
{
    ASSERT(shadowFace >= 0 && shadowFace < NB_SHADOW_FACES, NULL);
    return shadowTriangles[shadowFace];
}

bool CubeZone::getIsFaceInShadow(int shadowFace) const
{
    ASSERT(shadowFace >= 0 && shadowFace < NB_SHADOW_FACES, NULL);
    return isFaceInShadow[shadowFace];
}

void CubeZone::setShadows(std::vector<Float3> const triangles[NB_SHADOW_FACES], bool const inShadow[NB_SHADOW_FACES])
{
    for (int k = 0; k < NB_SHADOW_FACES; ++k)
    {
        // A wholly shadowed face never carries triangles: the file could not say both.
        isFaceInShadow[k] = inShadow[k];
        shadowTriangles[k] = inShadow[k] ? std::vector<Float3>() : triangles[k];
    }
}

bool CubeZone::hasCubeType() const
{
    return cubeTypeManagerInstance != NULL && unsigned(id) < cubeTypeManagerInstance->getNbCubeType();
}

CubeType* CubeZone::lookUpCubeType_() const
{
    if (!hasCubeType())
        return NULL;
    return cubeTypeManagerInstance->getCubeType(unsigned(id));
}

void CubeZone::getFacesGeometry(Float3 vertices[24], Float2 texCoords[24]) const
{
    // Textures repeat once per cube on every axis, whatever the type's flags say.
    Float3 const repeat = size / getSizeOneCube();
    Scene3D::getVerticesAndTexCoordCube(vertices, texCoords, repeat, size * 0.5f);
    for (int corner = 0; corner < 24; ++corner)
    {
        vertices[corner] += position;
        texCoords[corner].y() = 1.f - texCoords[corner].y();
    }
}

void CubeZone::fillEnhancedVBO(EnhancedVBO& vbo) const
{
    CubeType* const type = lookUpCubeType_();
    if (type == NULL)
        return;
    Float3 vertices[24];
    Float2 texCoords[24];
    getFacesGeometry(vertices, texCoords);
    for (int face = 0; face < 6; ++face)
    {
        bool const shadowed = isFaceInShadow[SHADOW_FACE_OF_FACE[face]];
        Sprite const* const sprite = shadowed ? type->getTextureFaceShadowed(face) : type->getTextureFace(face);
        vbo.addQuad(&vertices[4 * face], &texCoords[4 * face], textureOf(sprite));
        if (sprite->getCurrentImage()->getIsTranslucent())
            vbo.setTextureTranslucent(textureOf(sprite));
    }
    if (!enableShadows)
        return;
    int const shadowTexture = textureOf(type->getTextureShadow());
    Float2 triangleTexCoords[3] = {Float2(0.f, 0.f), Float2(1.f, 0.f), Float2(0.f, 1.f)};
    for (int k = 0; k < NB_SHADOW_FACES; ++k)
    {
        Float3 const offset = position + getShadowLift(k);
        std::vector<Float3> const& list = shadowTriangles[k];
        for (size_t first = 0; first + 3 <= list.size(); first += 3)
        {
            Float3 triangle[3] = {list[first] + offset, list[first + 1] + offset, list[first + 2] + offset};
            vbo.addTriangle(triangle, triangleTexCoords, shadowTexture);
        }
    }
    vbo.setTextureDisplayedAtLast(shadowTexture);
}

bool CubeZone::manage() const
{
    lookUpCubeType_();
    return false;
}

bool CubeZone::isThere3DIntersectionPoint(Float3 const& point) const
{
    // Bounds before the type: most zones of a region are far from the point.
    Float3 const half = size / 2.f;
    for (int axis = 0; axis < 3; ++axis)
        if (!(position[axis] - half[axis] <= point[axis] && point[axis] <= position[axis] + half[axis]))
            return false;
    CubeType const* const type = lookUpCubeType_();
    return type != NULL && type->getIsCollidable();
}

bool CubeZone::isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& hit) const
{
    if (!(from.x() > to.x()))
        return false;
    CubeType const* const type = lookUpCubeType_();
    if (type == NULL || !type->getIsCollidable())
        return false;
    Float3 const delta = from - to;
    float const length =
        MathManager::accurateSqrt(0.f + delta.x() * delta.x() + delta.y() * delta.y() + delta.z() * delta.z());
    if (!(length > 0.f) || !std::isfinite(length))
        return false;
    Float3 const d = delta / length;
    // Samples lie one unit apart from `to`; only the steps whose sample can be
    // inside the zone on every axis are tried, and none beyond `from`, so the
    // walk always ends and costs no more than the zone is long.
    double firstStep = 0.0;
    double lastStep = std::floor(length);
    Float3 const half = size / 2.f;
    for (int axis = 0; axis < 3; ++axis)
    {
        double const low = double(position[axis] - half[axis]) - to[axis];
        double const high = double(position[axis] + half[axis]) - to[axis];
        if (d[axis] == 0.f)
        {
            if (low > 0.0 || high < 0.0)
                return false;
            continue;
        }
        double const a = low / d[axis];
        double const b = high / d[axis];
        firstStep = std::max(firstStep, std::floor(std::min(a, b)) - 1.0);
        lastStep = std::min(lastStep, std::ceil(std::max(a, b)) + 1.0);
    }
    for (double step = firstStep; step <= lastStep; step += 1.0)
    {
        Float3 const sample = to + d * float(step);
        if (isThere3DIntersectionPoint(sample))
        {
            hit = sample;
            return true;
        }
    }
    return false;
}

void CubeZone::calculateStaticShadows(std::vector<CubeZone const*> const& occluders, Float3 const& lightPosition)
{
    std::vector<Float3> triangles[NB_SHADOW_FACES];
    bool inShadow[NB_SHADOW_FACES] = {};
    CubeZoneStaticShadows::calculateStaticShadows(occluders, *this, triangles, inShadow, lightPosition);
    setShadows(triangles, inShadow);
}
