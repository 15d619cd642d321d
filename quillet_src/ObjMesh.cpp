#include "ObjMesh.h"

#include "Core.h"
#include "Errors.h"
#include "GLManager.h"
#include "SpriteManager.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <unordered_map>

ObjMesh::Material::Material()
    : name(),
      diffuse{0.8f, 0.8f, 0.8f, 1.f},
      ambient{0.2f, 0.2f, 0.2f, 1.f},
      specular{0.f, 0.f, 0.f, 1.f},
      emissive{0.f, 0.f, 0.f, 1.f},
      shininess(65.f),
      texture(NULL),
      textureId(0),
      textureFile(),
      textureOrigin(),
      textureScale(1.f, 1.f, 1.f),
      textureFromMapKa(false)
{
}

ObjMesh::ObjMesh()
    : pathname(), mtllibname(), vertices(1), normals(1), texcoords(1), facetnorms(), triangles(), materials(),
      groups(1)
{
    groups[0].name = "default";
}

ObjMesh::~ObjMesh()
{
    for (Material& material : materials)
    {
        if (material.texture == NULL)
            continue;
        ASSERT(spriteManager != NULL, "a textured model outlived the sprite manager");
        spriteManager->removeSprite(material.texture);
        material.texture = NULL;
    }
}

unsigned ObjMesh::getNumVertices() const
{
    return static_cast<unsigned>(vertices.size() - 1);
}

unsigned ObjMesh::getNumNormals() const
{
    return static_cast<unsigned>(normals.size() - 1);
}

unsigned ObjMesh::getNumTexcoords() const
{
    return static_cast<unsigned>(texcoords.size() - 1);
}

void ObjMesh::scale(float factor)
{
    for (size_t i = 1; i < vertices.size(); ++i)
        vertices[i] *= factor;
}

namespace
{
Float3 normalized(Float3 const& v)
{
    float const length = std::sqrt(Core::dotProduct(v, v));
    if (!(length > 0.f))
        return Float3(0.f, 0.f, 0.f); // no area, no direction: better than NaN in the lighting
    return v / length;
}

// Projects the triangle's corners on two axes; false when the triangle has no
// area in that plane.
bool isFlatInPlane(Float3 const corners[3], int u, int v)
{
    bool const sameU = corners[0][u] == corners[1][u] && corners[1][u] == corners[2][u];
    bool const sameV = corners[0][v] == corners[1][v] && corners[1][v] == corners[2][v];
    if (sameU || sameV)
        return true;
    for (int i = 0; i < 3; ++i)
    {
        Float3 const& a = corners[i];
        Float3 const& b = corners[(i + 1) % 3];
        if (a[u] == b[u] && a[v] == b[v])
            return true;
    }
    return false;
}

float cross2D(Float3 const& a, Float3 const& b, Float3 const& p, int u, int v)
{
    return (b[u] - a[u]) * (p[v] - a[v]) - (b[v] - a[v]) * (p[u] - a[u]);
}

// On an edge counts as inside.
bool isInsideOutline(Float3 const corners[3], Float3 const& point, int u, int v)
{
    for (int i = 0; i < 3; ++i)
    {
        Float3 const& a = corners[i];
        Float3 const& b = corners[(i + 1) % 3];
        Float3 const& third = corners[(i + 2) % 3];
        float const product = cross2D(a, b, point, u, v) * cross2D(a, b, third, u, v);
        if (!(product >= 0.f))
            return false;
    }
    return true;
}
}

bool ObjMesh::findFirstSegmentHit(Float3 const& from, Float3 const& to, Float3& out) const
{
    Float3 const direction = to - from;
    for (Triangle const& triangle : triangles)
    {
        Float3 const corners[3] = {vertices[triangle.vindices[0]], vertices[triangle.vindices[1]],
                                   vertices[triangle.vindices[2]]};
        if (corners[0] == corners[1] || corners[1] == corners[2] || corners[0] == corners[2])
            continue;
        Float3 const& normal = (*facetnorms)[triangle.findex];
        float const planeOffset = -Core::dotProduct(normal, corners[0]);
        float const along = Core::dotProduct(normal, direction);
        if (along == 0.f)
            continue; // parallel: the line never meets the plane
        float const t = -(Core::dotProduct(normal, to) + planeOffset) / along;
        Float3 const crossing = to + direction * t;

        int u = 0;
        int v = 1;
        if (isFlatInPlane(corners, 0, 1))
        {
            if (!isFlatInPlane(corners, 0, 2))
                v = 2;
            else if (!isFlatInPlane(corners, 1, 2))
                u = 1, v = 2;
            else
                continue;
        }
        if (!isInsideOutline(corners, crossing, u, v))
            continue;

        // Both ends a whole unit or more on the same side: the segment stays clear.
        float const fromSide = Core::dotProduct(normal, from) + planeOffset;
        float const toSide = Core::dotProduct(normal, to) + planeOffset;
        if ((fromSide >= 1.f && toSide >= 1.f) || (fromSide <= -1.f && toSide <= -1.f))
            continue;
        out = crossing;
        return true;
    }
    return false;
}

void glmFacetNormals(ObjMesh& model)
{
    std::vector<Float3> normals(model.triangles.size() + 1);
    for (size_t i = 0; i < model.triangles.size(); ++i)
    {
        ObjMesh::Triangle& triangle = model.triangles[i];
        Float3 const& c0 = model.vertices[triangle.vindices[0]];
        Float3 const& c1 = model.vertices[triangle.vindices[1]];
        Float3 const& c2 = model.vertices[triangle.vindices[2]];
        normals[i + 1] = normalized(Core::crossProduct(c1 - c0, c2 - c0));
        triangle.findex = static_cast<unsigned>(i + 1);
    }
    model.facetnorms = std::move(normals);
}

void glmVertexNormals(ObjMesh& model, float angle)
{
    if (!model.facetnorms)
        glmFacetNormals(model);
    std::vector<Float3> const& facetnorms = *model.facetnorms;
    // Smoothing threshold in double so that faces at exactly the angle stay apart.
    double const threshold = std::cos(static_cast<double>(angle) * M_PI / 180.0);

    // The corners at each vertex, in triangle order (counting sort on the vertex).
    size_t const numVertices = model.vertices.size();
    std::vector<unsigned> firstCorner(numVertices + 1, 0);
    for (ObjMesh::Triangle const& triangle : model.triangles)
        for (unsigned vindex : triangle.vindices)
            ++firstCorner[vindex + 1];
    for (size_t i = 1; i <= numVertices; ++i)
        firstCorner[i] += firstCorner[i - 1];
    std::vector<unsigned> corners(model.triangles.size() * 3);
    std::vector<unsigned> filled(firstCorner.begin(), firstCorner.end() - 1);
    for (size_t t = 0; t < model.triangles.size(); ++t)
        for (unsigned k = 0; k < 3; ++k)
            corners[filled[model.triangles[t].vindices[k]]++] = static_cast<unsigned>(t * 3 + k);

    std::vector<Float3> normals(1);
    normals.reserve(model.triangles.size() * 3 + 1);
    std::vector<bool> smoothed;
    for (size_t vertex = 1; vertex < numVertices; ++vertex)
    {
        unsigned const begin = firstCorner[vertex];
        unsigned const end = firstCorner[vertex + 1];
        if (begin == end)
        {
            fprintf(stderr, "glmVertexNormals(): vertex w/o a triangle\n");
            continue;
        }
        Float3 const reference = facetnorms[model.triangles[corners[begin] / 3].findex];
        Float3 sum(0.f, 0.f, 0.f);
        smoothed.assign(end - begin, false);
        bool anySmoothed = false;
        for (unsigned c = begin; c < end; ++c)
        {
            Float3 const& facet = facetnorms[model.triangles[corners[c] / 3].findex];
            if (Core::dotProduct(facet, reference) > threshold)
            {
                sum += facet;
                smoothed[c - begin] = true;
                anySmoothed = true;
            }
        }
        unsigned const average = static_cast<unsigned>(normals.size());
        if (anySmoothed)
            normals.push_back(normalized(sum));
        for (unsigned c = begin; c < end; ++c)
        {
            ObjMesh::Triangle& triangle = model.triangles[corners[c] / 3];
            if (smoothed[c - begin])
            {
                triangle.nindices[corners[c] % 3] = average;
                continue;
            }
            triangle.nindices[corners[c] % 3] = static_cast<unsigned>(normals.size());
            normals.push_back(facetnorms[triangle.findex]);
        }
    }
    model.normals = std::move(normals);
}

namespace
{
// Finds, among the kept vertices, the first one within epsilon of a vertex on
// every axis, as a walk over all of them would, but through a grid of cells
// twice epsilon wide: a match can only sit in the same or a neighbouring cell.
class WeldGrid
{
public:
    explicit WeldGrid(float epsilon) : epsilon(epsilon), cells(), next(1, 0) {}

    // Index of the first kept vertex matching v, or 0.
    unsigned findFirstMatch(Float3 const& v, std::vector<Float3> const& kept) const
    {
        Key key;
        bool exactOnly[3] = {false, false, false};
        if (!keyOf(v, key, exactOnly))
            return 0;
        unsigned best = 0;
        Key neighbour;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dz = -1; dz <= 1; ++dz)
                {
                    int const offsets[3] = {dx, dy, dz};
                    bool skip = false;
                    for (int axis = 0; axis < 3; ++axis)
                    {
                        skip = skip || (exactOnly[axis] && offsets[axis] != 0);
                        neighbour.cell[axis] = key.cell[axis] + offsets[axis];
                    }
                    if (skip)
                        continue;
                    auto const found = cells.find(neighbour);
                    if (found == cells.end())
                        continue;
                    for (unsigned i = found->second; i != 0; i = next[i])
                        if ((best == 0 || i < best) && matches(v, kept[i]))
                            best = i;
                }
        return best;
    }

    // Registers kept vertex index (the indices come in increasing order).
    void insert(Float3 const& v, unsigned index)
    {
        next.resize(index + 1, 0);
        Key key;
        bool exactOnly[3] = {false, false, false};
        if (!keyOf(v, key, exactOnly))
            return;
        auto const inserted = cells.emplace(key, index);
        if (!inserted.second)
        {
            next[index] = inserted.first->second;
            inserted.first->second = index;
        }
    }

private:
    struct Key
    {
        int64_t cell[3] = {0, 0, 0};
        bool operator==(Key const& other) const
        {
            return cell[0] == other.cell[0] && cell[1] == other.cell[1] && cell[2] == other.cell[2];
        }
    };
    struct KeyHash
    {
        size_t operator()(Key const& key) const
        {
            uint64_t h = 1469598103934665603ull;
            for (int64_t c : key.cell)
                h = (h ^ static_cast<uint64_t>(c)) * 1099511628211ull;
            return static_cast<size_t>(h ^ (h >> 29));
        }
    };

    // The exact test of the walk over all kept vertices.
    bool matches(Float3 const& a, Float3 const& b) const
    {
        return std::fabs(a.x() - b.x()) <= epsilon && std::fabs(a.y() - b.y()) <= epsilon &&
               std::fabs(a.z() - b.z()) <= epsilon;
    }

    // False for a vertex that can match nothing (a coordinate not finite).
    // Where the cell number would be too large for a double to place it
    // exactly, epsilon is below the spacing of floats there, so only an equal
    // coordinate can match: such axes are keyed by the value itself.
    bool keyOf(Float3 const& v, Key& key, bool exactOnly[3]) const
    {
        for (int axis = 0; axis < 3; ++axis)
        {
            float const value = v[axis] == 0.f ? 0.f : v[axis]; // -0 and +0 are equal
            if (!std::isfinite(value))
                return false;
            double const cell = epsilon > 0.f ? static_cast<double>(value) / (2.0 * epsilon) : HUGE_VAL;
            if (std::fabs(cell) < 1125899906842624.0) // 2^50
            {
                key.cell[axis] = static_cast<int64_t>(std::floor(cell));
                continue;
            }
            uint32_t bits = 0;
            memcpy(&bits, &value, sizeof bits);
            key.cell[axis] = (int64_t(1) << 52) + bits;
            exactOnly[axis] = true;
        }
        return true;
    }

    float epsilon;
    std::unordered_map<Key, unsigned, KeyHash> cells;
    // Kept vertices of the same cell, chained from the cell's latest.
    std::vector<unsigned> next;
};
}

void glmWeld(ObjMesh& model, float epsilon)
{
    if (!(epsilon >= 0.f))
        return; // nothing is within a negative distance
    std::vector<Float3> kept(1);
    kept.reserve(model.vertices.size());
    std::vector<unsigned> renumbered(model.vertices.size(), 0);
    WeldGrid grid(epsilon);
    for (size_t i = 1; i < model.vertices.size(); ++i)
    {
        Float3 const& v = model.vertices[i];
        unsigned const match = grid.findFirstMatch(v, kept);
        if (match != 0)
        {
            renumbered[i] = match;
            continue;
        }
        renumbered[i] = static_cast<unsigned>(kept.size());
        kept.push_back(v);
        grid.insert(v, renumbered[i]);
    }
    for (ObjMesh::Triangle& triangle : model.triangles)
        for (unsigned& vindex : triangle.vindices)
            vindex = renumbered[vindex];
    model.vertices = std::move(kept);
}

int glmFindGroup(ObjMesh const& model, std::string const& name)
{
    for (size_t i = 0; i < model.groups.size(); ++i)
        if (model.groups[i].name == name)
            return static_cast<int>(i);
    return -1;
}

unsigned glmAddGroup(ObjMesh& model, std::string const& name)
{
    int const found = glmFindGroup(model, name);
    if (found >= 0)
        return static_cast<unsigned>(found);
    model.groups.emplace_back();
    model.groups.back().name = name;
    return static_cast<unsigned>(model.groups.size() - 1);
}

unsigned glmFindMaterial(ObjMesh const& model, std::string const& name)
{
    for (size_t i = 0; i < model.materials.size(); ++i)
        if (model.materials[i].name == name)
            return static_cast<unsigned>(i);
    fprintf(stderr, "glmFindMaterial():  can't find material \"%s\".\n", name.c_str());
    return 0;
}

void glmDelete(ObjMesh* model)
{
    delete model;
}

namespace
{
// Drops the requested features the mesh cannot give, with a warning for each.
unsigned usableDrawMode(ObjMesh const& model, unsigned mode)
{
    if ((mode & GLM_FLAT) && !model.facetnorms)
    {
        printf("glmDraw() warning: flat render mode requested with no facet normals defined.\n");
        mode &= ~GLM_FLAT;
    }
    if ((mode & GLM_SMOOTH) && model.getNumNormals() == 0)
    {
        printf("glmDraw() warning: smooth render mode requested with no normals defined.\n");
        mode &= ~GLM_SMOOTH;
    }
    if ((mode & GLM_TEXTURE) && model.getNumTexcoords() == 0)
    {
        printf("glmDraw() warning: texture render mode requested with no texture coordinates defined.\n");
        mode &= ~GLM_TEXTURE;
    }
    if ((mode & GLM_FLAT) && (mode & GLM_SMOOTH))
    {
        printf("glmDraw() warning: flat render mode requested and smooth render mode requested (using smooth).\n");
        mode &= ~GLM_FLAT;
    }
    if ((mode & GLM_COLOR) && model.materials.empty())
    {
        printf("glmDraw() warning: color render mode requested with no materials defined.\n");
        mode &= ~GLM_COLOR;
    }
    if ((mode & GLM_MATERIAL) && model.materials.empty())
    {
        printf("glmDraw() warning: material render mode requested with no materials defined.\n");
        mode &= ~GLM_MATERIAL;
    }
    if ((mode & GLM_COLOR) && (mode & GLM_MATERIAL))
    {
        printf("glmDraw() warning: color and material render mode requested using only material mode.\n");
        mode &= ~GLM_COLOR;
    }
    return mode;
}

void applyMaterial(ObjMesh::Material const& material)
{
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, material.ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, material.diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, material.specular);
    // OpenGL refuses exponents beyond 128, which Ns above 1000 would give.
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::min(std::max(material.shininess, 0.f), 128.f));
    if (material.texture != NULL)
        glBindTexture(GL_TEXTURE_2D, material.textureId);
}
}

void glmDraw(ObjMesh const& model, unsigned mode)
{
    mode = usableDrawMode(model, mode);
    if (mode & GLM_COLOR)
        glEnable(GL_COLOR_MATERIAL);
    else if (mode & GLM_MATERIAL)
        glDisable(GL_COLOR_MATERIAL);

    for (ObjMesh::Group const& group : model.groups)
    {
        ObjMesh::Material const* material = model.materials.empty() ? NULL : &model.materials[group.material];
        if (mode & GLM_MATERIAL)
            applyMaterial(*material);
        if (mode & GLM_COLOR)
            glColor4fv(material->diffuse);
        Float3 const scale = material != NULL ? material->textureScale : Float3(1.f, 1.f, 1.f);

        glBegin(GL_TRIANGLES);
        for (unsigned index : group.triangles)
        {
            ObjMesh::Triangle const& triangle = model.triangles[index];
            if (mode & GLM_FLAT)
                glNormal3fv((*model.facetnorms)[triangle.findex].data());
            for (int k = 0; k < 3; ++k)
            {
                if (mode & GLM_SMOOTH)
                    glNormal3fv(model.normals[triangle.nindices[k]].data());
                if (mode & GLM_TEXTURE)
                {
                    Float2 const& texcoord = model.texcoords[triangle.tindices[k]];
                    glTexCoord2f(texcoord.x() * scale.x(), texcoord.y() * scale.y());
                }
                glVertex3fv(model.vertices[triangle.vindices[k]].data());
            }
        }
        glEnd();
    }
}
