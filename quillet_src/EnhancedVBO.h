#ifndef ENHANCEDVBO_H
#define ENHANCEDVBO_H

// The static geometry of one owner (a world region) batched into vertex
// buffers: quads and triangles are collected per texture, then finalize
// uploads one buffer per texture and primitive kind, in drawing order. It owns
// the collected tables and the VBOs. Geometry cannot be removed: the owner
// builds a new object whenever its content changes.

#include "BasicVector.h"

#include <map>
#include <utility>
#include <vector>

class VBO;

class EnhancedVBO
{
public:
    struct EnhancedVBOTable
    {
        std::vector<Float3> verticesQuadVect;
        std::vector<Float2> texCoordQuadVect;
        std::vector<Float3> verticesTriVect;
        std::vector<Float2> texCoordTriVect;
        // Drawn after every other texture (semi-transparent shadows).
        bool displayedAtLast = false;
    };

    EnhancedVBO();
    ~EnhancedVBO();
    EnhancedVBO(EnhancedVBO const&) = delete;
    EnhancedVBO& operator=(EnhancedVBO const&) = delete;

    // Four vertices and their texture coordinates.
    void addQuad(Float3 const* vertices, Float2 const* texCoords, int texture);
    // Three vertices and their texture coordinates.
    void addTriangle(Float3 const* vertices, Float2 const* texCoords, int texture);
    void setTextureDisplayedAtLast(int texture);

    // Builds the buffers, once: opaque textures in ascending id, then those
    // displayed at last. Returns (number of VBOs, number of vertices).
    std::pair<int, int> finalize();
    void draw() const;

    // The buffers in drawing order, as built by finalize.
    std::vector<VBO*> const& getVBOs() const;
    int getNbVertices() const;

private:
    void appendVBOs_(EnhancedVBOTable const& table, int texture);
    void appendVBO_(std::vector<Float3> const& vertices, std::vector<Float2> const& texCoords, int texture,
                    bool quads);

    // Ordered by texture id, so opaque textures are drawn in ascending id.
    std::map<int, EnhancedVBOTable> tables;
    std::vector<VBO*> vbos;
    int nbVertices;
};

#endif
