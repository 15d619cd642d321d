#ifndef ENHANCEDVBO_H
#define ENHANCEDVBO_H

// The static geometry of one owner (a world region) batched into vertex
// buffers: quads and triangles are collected per texture, then finalize
// uploads one buffer per texture and primitive kind, in drawing order. It owns
// the collected tables and the VBOs. Geometry cannot be removed: the owner
// builds a new object whenever its content changes.
//
// The buffers fall in three layers, drawn in this order: opaque textures,
// translucent textures, then textures displayed at last (shadows laid over
// faces of either kind). An owner of many of them draws the opaque layer of
// every one first, so that opaque geometry can go nearest first without
// blending, and then the other two layers of each one, farthest first, so
// that they blend over everything behind them.

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
        // Has pixels that let what lies behind show through (glass).
        bool translucent = false;
    };

    enum Layer
    {
        LAYER_OPAQUE,
        LAYER_TRANSLUCENT,
        LAYER_DISPLAYED_AT_LAST,
        NB_LAYERS
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
    // Marks a texture translucent; displayed at last takes precedence.
    void setTextureTranslucent(int texture);

    // Builds the buffers, once: the layers in order, each layer's textures in
    // ascending id. Returns (number of VBOs, number of vertices).
    std::pair<int, int> finalize();
    // Every layer in order.
    void draw() const;
    void drawLayer(Layer layer) const;

    // The buffers in drawing order, as built by finalize.
    std::vector<VBO*> const& getVBOs() const;
    int getNbVertices() const;

private:
    static Layer layerOf_(EnhancedVBOTable const& table);
    void appendVBOs_(EnhancedVBOTable const& table, int texture);
    void appendVBO_(std::vector<Float3> const& vertices, std::vector<Float2> const& texCoords, int texture,
                    bool quads);

    // Ordered by texture id, so opaque textures are drawn in ascending id.
    std::map<int, EnhancedVBOTable> tables;
    std::vector<VBO*> vbos;
    // Where each layer's buffers begin in vbos; the last entry is vbos' size.
    size_t firstVBOOfLayer[NB_LAYERS + 1];
    int nbVertices;
};

#endif
