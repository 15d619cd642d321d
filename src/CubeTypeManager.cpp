#include "CubeTypeManager.h"

#include "Errors.h"

CubeTypeManager* cubeTypeManagerInstance = NULL;

CubeTypeManager::CubeTypeManager()
{
    cubeTypeManagerInstance = this;
}

CubeTypeManager::~CubeTypeManager()
{
    removeAllCubeTypes();
    if (cubeTypeManagerInstance == this)
        cubeTypeManagerInstance = NULL;
}

CubeType* CubeTypeManager::getCubeType(unsigned id)
{
    ASSERT(id < cubeTypes.size(), "cube type id beyond the last type");
    CubeType* const type = cubeTypes[id];
    type->setIsUsed(true);
    return type;
}

unsigned CubeTypeManager::getNbCubeType() const
{
    return unsigned(cubeTypes.size());
}

unsigned CubeTypeManager::addCubeType(std::string const names[CubeType::NB_FACES], bool const* repeat,
                                      bool collidable)
{
    std::string const faceNames[CubeType::NB_FACES] = {names[2], names[3], names[0], names[1], names[4], names[5]};
    cubeTypes.push_back(new CubeType(faceNames, repeat, collidable));
    return unsigned(cubeTypes.size() - 1);
}

unsigned CubeTypeManager::addCubeTypeFromFile(RecordReader& reader)
{
    cubeTypes.push_back(new CubeType(reader));
    return unsigned(cubeTypes.size() - 1);
}

void CubeTypeManager::removeLastCubeType()
{
    ASSERT(!cubeTypes.empty(), "no cube type to remove");
    delete cubeTypes.back();
    cubeTypes.pop_back();
}

void CubeTypeManager::removeAllCubeTypes()
{
    for (CubeType* type : cubeTypes)
        delete type;
    cubeTypes.clear();
}

void CubeTypeManager::initUnused()
{
    for (CubeType* type : cubeTypes)
        type->setIsUsed(false);
}

void CubeTypeManager::freeUnused()
{
    for (CubeType* type : cubeTypes)
        if (!type->getIsUsed() && !type->getIsUsedByEditor())
            type->removeSprites();
}
