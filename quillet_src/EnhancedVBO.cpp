#include "EnhancedVBO.h"

#include "Errors.h"
#include "VBO.h"

EnhancedVBO::EnhancedVBO() : tables(), vbos(), firstVBOOfLayer(), nbVertices(0)
{
}

EnhancedVBO::~EnhancedVBO()
{
    for (VBO* vbo : vbos)
        delete vbo;
}

void EnhancedVBO::addQuad(Float3 const* vertices, Float2 const* texCoords, int texture)
{
    EnhancedVBOTable& table = tables[texture];
    table.verticesQuadVect.insert(table.verticesQuadVect.end(), vertices, vertices + 4);
    table.texCoordQuadVect.insert(table.texCoordQuadVect.end(), texCoords, texCoords + 4);
}

void EnhancedVBO::addTriangle(Float3 const* vertices, Float2 const* texCoords, int texture)
{
    EnhancedVBOTable& table = tables[texture];
    table.verticesTriVect.insert(table.verticesTriVect.end(), vertices, vertices + 3);
    table.texCoordTriVect.insert(table.texCoordTriVect.end(), texCoords, texCoords + 3);
}

void EnhancedVBO::setTextureDisplayedAtLast(int texture)
{
    tables[texture].displayedAtLast = true;
}

void EnhancedVBO::setTextureTranslucent(int texture)
{
    tables[texture].translucent = true;
}

EnhancedVBO::Layer EnhancedVBO::layerOf_(EnhancedVBOTable const& table)
{
    if (table.displayedAtLast)
        return LAYER_DISPLAYED_AT_LAST;
    return table.translucent ? LAYER_TRANSLUCENT : LAYER_OPAQUE;
}

std::pair<int, int> EnhancedVBO::finalize()
{
    ASSERT(vbos.empty(), "EnhancedVBO::finalize: the buffers are already built");
    nbVertices = 0;
    for (int layer = 0; layer < NB_LAYERS; ++layer)
    {
        firstVBOOfLayer[layer] = vbos.size();
        for (auto const& entry : tables)
            if (layerOf_(entry.second) == layer)
                appendVBOs_(entry.second, entry.first);
    }
    firstVBOOfLayer[NB_LAYERS] = vbos.size();
    return std::make_pair(int(vbos.size()), nbVertices);
}

void EnhancedVBO::appendVBOs_(EnhancedVBOTable const& table, int texture)
{
    std::vector<Float3> const& verticesQuadVect = table.verticesQuadVect;
    std::vector<Float2> const& texCoordQuadVect = table.texCoordQuadVect;
    std::vector<Float3> const& verticesTriVect = table.verticesTriVect;
    std::vector<Float2> const& texCoordTriVect = table.texCoordTriVect;
    ASSERT(verticesQuadVect.size() == texCoordQuadVect.size(), NULL);
    if (!verticesQuadVect.empty())
        appendVBO_(verticesQuadVect, texCoordQuadVect, texture, true);
    ASSERT(verticesTriVect.size() == texCoordTriVect.size(), NULL);
    if (!verticesTriVect.empty())
        appendVBO_(verticesTriVect, texCoordTriVect, texture, false);
}

void EnhancedVBO::appendVBO_(std::vector<Float3> const& vertices, std::vector<Float2> const& texCoords, int texture,
                             bool quads)
{
    int const count = int(vertices.size());
    VBO* const vbo = new VBO(count, vertices.data(), texCoords.data(), texture, quads);
    ASSERT(vbo != NULL, NULL);
    vbos.push_back(vbo);
    nbVertices += count;
}

void EnhancedVBO::draw() const
{
    for (int layer = 0; layer < NB_LAYERS; ++layer)
        drawLayer(Layer(layer));
}

void EnhancedVBO::drawLayer(Layer layer) const
{
    for (size_t i = firstVBOOfLayer[layer]; i < firstVBOOfLayer[layer + 1]; ++i)
    {
        ASSERT(vbos[i] != NULL, NULL);
        vbos[i]->draw();
    }
}

std::vector<VBO*> const& EnhancedVBO::getVBOs() const
{
    return vbos;
}

int EnhancedVBO::getNbVertices() const
{
    return nbVertices;
}
