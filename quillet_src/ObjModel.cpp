#include "ObjModel.h"

#include "Errors.h"
#include "ObjMesh.h"
#include "ObjMeshReader.h"

#include <GL/gl.h>
#include <iostream>

std::vector<ObjModelLibraryElement> objModelLibrary;

ObjModel::ObjModel(std::string const& parFilename, float scale, float parMeshWeld, size_t parCollisionMeshWeld)
    : libraryIndex(0)
{
    ASSERT(parFilename != "", NULL);
    for (size_t i = 0; i < objModelLibrary.size(); ++i)
        if (objModelLibrary[i].fileName == parFilename)
        {
            libraryIndex = i;
            ++objModelLibrary[i].nbUses;
            std::cout << "Getting model '" << parFilename << "'" << std::endl;
            return;
        }
    load_(parFilename, scale, parMeshWeld, parCollisionMeshWeld);
}

void ObjModel::load_(std::string const& parFilename, float scale, float parMeshWeld, size_t parCollisionMeshWeld)
{
    std::cout << "Loading model '" << parFilename << "' ... " << std::endl;
    ASSERT(parCollisionMeshWeld >= parMeshWeld, NULL);
    ObjMesh* const mesh = glmReadOBJ(parFilename);
    if (scale != 1.f)
        mesh->scale(scale);
    glmFacetNormals(*mesh);
    glmVertexNormals(*mesh, 90.f);
    if (parMeshWeld > 0.f)
        glmWeld(*mesh, parMeshWeld);

    // Compiled only: the model is drawn where its users place it, not here.
    unsigned const list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glmDraw(*mesh, GLM_SMOOTH | GLM_TEXTURE | GLM_MATERIAL);
    glEndList();

    if (parCollisionMeshWeld != 0)
        glmWeld(*mesh, static_cast<float>(parCollisionMeshWeld));

    ObjModelLibraryElement element;
    element.mesh = mesh;
    element.fileName = parFilename;
    element.displayList = list;
    element.nbUses = 1;
    objModelLibrary.push_back(element);
    libraryIndex = objModelLibrary.size() - 1;
    std::cout << "...loading model done" << std::endl;
}

ObjModel::~ObjModel()
{
    ObjModelLibraryElement& element = objModelLibrary[libraryIndex];
    --element.nbUses;
    ASSERT(element.nbUses >= 0, NULL);
    if (element.nbUses > 0)
    {
        std::cout << "Ungetting model '" << element.fileName << "'" << std::endl;
        return;
    }
    std::cout << "Unloading model " << element.fileName << " ..." << std::endl;
    glDeleteLists(element.displayList, 1);
    glmDelete(element.mesh);
    element.mesh = NULL;
    element.displayList = 0;
    element.fileName = "";
    std::cout << "... unloading model done" << std::endl;
}

void ObjModel::drawNoPos() const
{
    // The list sets materials and switches colour tracking off: keep that
    // from leaking into whatever is drawn after the model.
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT);
    glCallList(objModelLibrary[libraryIndex].displayList);
    glPopAttrib();
}

void ObjModel::drawNoPosDebug() const
{
    glmDraw(*objModelLibrary[libraryIndex].mesh, GLM_SMOOTH);
}

bool ObjModel::isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& out) const
{
    ObjMesh const* const model = objModelLibrary[libraryIndex].mesh;
    ASSERT(model, NULL);
    ASSERT(model->facetnorms, NULL);
    return model->findFirstSegmentHit(from, to, out);
}

size_t ObjModel::getLibraryIndex() const
{
    return libraryIndex;
}
