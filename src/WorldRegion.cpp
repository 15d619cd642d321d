#include "WorldRegion.h"

#include "GLManager.h"
#include "CubeTypeManager.h"
#include "MathManager.h"
#include "Scene3D.h"
#include "ZoneGrid.h"

#include <algorithm>

#include <iostream>

namespace
{
// The smallest records: a zone with six empty shadow lists, a script object.
int64_t const MIN_ZONE_RECORD_BYTES = 12 + 12 + 4 + 4 + 6 * 4;
int64_t const OBJECT_RECORD_BYTES = 12 + 4;

// A block of one element kind: its count, the length of extra data that
// follows the records (always 0 when written, skipped when read), the records.
template <typename Element>
void writeBlock(RecordWriter& writer, std::vector<Element> const& elements)
{
    writer.writeInt32(int32_t(elements.size()));
    writer.writeInt32(0);
    for (Element const& element : elements)
        element.saveToFile(writer);
}

template <typename Element>
void readBlock(RecordReader& reader, std::vector<Element>& elements, int64_t recordBytes, char const* countWhat,
               char const* extraLengthWhat, char const* extraDataWhat)
{
    int32_t const count = reader.readCount(recordBytes, countWhat);
    int32_t const extraLength = reader.readInt32(extraLengthWhat);
    elements.reserve(elements.size() + size_t(count));
    for (int32_t i = 0; i < count; ++i)
        elements.push_back(Element(reader));
    if (extraLength > 0)
        reader.skip(extraLength, extraDataWhat);
}

float distance(Float3 const& a, Float3 const& b)
{
    Float3 const d = a - b;
    return MathManager::accurateSqrt(d.x() * d.x() + d.y() * d.y() + d.z() * d.z());
}

// Index of the element nearest to the point; on equal distances the later one.
template <typename Element>
size_t findNearest(std::vector<Element> const& elements, Float3 const& point)
{
    size_t nearest = 0;
    float nearestDistance = distance(elements[0].getPosition(), point);
    for (size_t i = 1; i < elements.size(); ++i)
    {
        float const d = distance(elements[i].getPosition(), point);
        if (d <= nearestDistance)
        {
            nearest = i;
            nearestDistance = d;
        }
    }
    return nearest;
}

uint64_t objectListsVersion = 0;

// Manages every object in order, keeping those that stay; those whose
// position changed go to `moved`, for the region index to place again.
// Returns whether the list changed.
bool manageObjects(std::vector<CustomObject>& objects, std::vector<CustomObject>& moved)
{
    size_t kept = 0;
    for (size_t i = 0; i < objects.size(); ++i)
    {
        Float3 const before = objects[i].getPosition();
        if (objects[i].manage())
            continue;
        if (objects[i].getPosition() != before)
        {
            moved.push_back(objects[i]);
            continue;
        }
        if (kept != i)
            objects[kept] = objects[i];
        ++kept;
    }
    bool const changed = kept != objects.size();
    objects.erase(objects.begin() + kept, objects.end());
    return changed;
}
}

WorldRegion::WorldRegion() : vbo(NULL), zoneTypeIdsValid(false), wasManaged(false)
{
}

WorldRegion::~WorldRegion()
{
    delete vbo;
    if (!customObjects.empty())
        objectsChanged_();
}

void WorldRegion::objectsChanged_()
{
    ++objectListsVersion;
}

uint64_t WorldRegion::getObjectListsVersion()
{
    return objectListsVersion;
}

bool WorldRegion::clearStatic()
{
    if (vbo == NULL)
        return false;
    bool const heldGeometry = vbo->getNbVertices() > 0;
    delete vbo;
    vbo = NULL;
    return heldGeometry;
}

void WorldRegion::buildBuffer_(Int2& created) const
{
    vbo = new EnhancedVBO();
    scene3D->setPosition(Float3(0.f, 0.f, 0.f));
    for (CubeZone const& zone : cubeZones)
        zone.fillEnhancedVBO(*vbo);
    std::pair<int, int> const counts = vbo->finalize();
    created = Int2(counts.first, counts.second);
}

Int2 WorldRegion::drawOpaque() const
{
    Int2 created(0, 0);
    scene3D->setLighting(false);
    if (vbo == NULL)
        buildBuffer_(created);
    scene3D->setBlendingAndAlphaTest(false);
    vbo->drawLayer(EnhancedVBO::LAYER_OPAQUE);
    scene3D->setBlendingAndAlphaTest(true);
    return created;
}

void WorldRegion::drawBlended() const
{
    scene3D->setLighting(false);
    if (vbo != NULL)
    {
        vbo->drawLayer(EnhancedVBO::LAYER_TRANSLUCENT);
        vbo->drawLayer(EnhancedVBO::LAYER_DISPLAYED_AT_LAST);
    }
    scene3D->setLighting(true);
    for (CustomObject const& object : customObjects)
        object.draw();
    scene3D->setLighting(false);
}

Int2 WorldRegion::draw() const
{
    Int2 const created = drawOpaque();
    drawBlended();
    return created;
}

void WorldRegion::zonesChanged_()
{
    clearStatic();
    zoneGrid.reset();
    zoneTypeIdsValid = false;
}

void WorldRegion::manageZones_() const
{
    if (!zoneTypeIdsValid)
    {
        zoneTypeIds.clear();
        for (CubeZone const& zone : cubeZones)
            zoneTypeIds.push_back(zone.getId());
        std::sort(zoneTypeIds.begin(), zoneTypeIds.end());
        zoneTypeIds.erase(std::unique(zoneTypeIds.begin(), zoneTypeIds.end()), zoneTypeIds.end());
        zoneTypeIdsValid = true;
    }
    if (cubeTypeManagerInstance == NULL)
        return;
    unsigned const nbTypes = cubeTypeManagerInstance->getNbCubeType();
    for (int32_t id : zoneTypeIds)
        if (unsigned(id) < nbTypes)
            cubeTypeManagerInstance->getCubeType(unsigned(id));
}

void WorldRegion::manage(std::vector<CustomObject>& objectsToMove)
{
    wasManaged = true;
    manageZones_();
    if (manageObjects(customObjects, objectsToMove))
        objectsChanged_();
}

bool WorldRegion::isThere3DIntersectionPoint(Float3 const& point) const
{
    if (!zoneGrid)
        zoneGrid.reset(new ZoneGrid(cubeZones));
    int32_t const* first = NULL;
    int32_t const* last = NULL;
    zoneGrid->getCandidates(point, first, last);
    for (int32_t const* index = first; index != last; ++index)
        if (cubeZones[size_t(*index)].isThere3DIntersectionPoint(point))
            return true;
    return false;
}

bool WorldRegion::isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& hit) const
{
    for (CubeZone const& zone : cubeZones)
        if (zone.isThere3DIntersection(from, to, hit))
            return true;
    return false;
}

std::vector<CubeZone const*> WorldRegion::getAllOcclusiveObjects() const
{
    std::vector<CubeZone const*> occluders;
    occluders.reserve(cubeZones.size());
    for (CubeZone const& zone : cubeZones)
        occluders.push_back(&zone);
    return occluders;
}

void WorldRegion::calculateStaticShadows(std::vector<CubeZone const*> const& occluders, Float3 const& lightPosition)
{
    zonesChanged_();
    for (CubeZone& zone : cubeZones)
    {
        std::cout << "=" << std::flush;
        zone.calculateStaticShadows(occluders, lightPosition);
    }
}

void WorldRegion::swapElements(std::vector<CubeZone>& zones, std::vector<CustomObject>& objects)
{
    zonesChanged_();
    cubeZones.swap(zones);
    customObjects.swap(objects);
    objectsChanged_();
}

void WorldRegion::addCubeZone(CubeZone const& zone)
{
    zonesChanged_();
    cubeZones.push_back(zone);
}

void WorldRegion::addCustomObject(CustomObject const& object)
{
    // The buffer holds zones only: an object arriving (every frame, for a
    // moving one) must not make the region rebuild it.
    customObjects.push_back(object);
    objectsChanged_();
}

bool WorldRegion::removeNearestElement(Float3 const& point)
{
    zonesChanged_();
    if (!cubeZones.empty())
    {
        cubeZones.erase(cubeZones.begin() + findNearest(cubeZones, point));
        return true;
    }
    if (!customObjects.empty())
    {
        customObjects.erase(customObjects.begin() + findNearest(customObjects, point));
        objectsChanged_();
        return true;
    }
    return false;
}

bool WorldRegion::removeElement(Float3 const& point)
{
    zonesChanged_();
    for (size_t i = 0; i < cubeZones.size(); ++i)
    {
        Float3 hit;
        if (cubeZones[i].isThere3DIntersection(point, point, hit) || cubeZones[i].getPosition() == point)
        {
            cubeZones.erase(cubeZones.begin() + i);
            return true;
        }
    }
    for (size_t i = 0; i < customObjects.size(); ++i)
    {
        if (customObjects[i].getPosition() == point)
        {
            customObjects.erase(customObjects.begin() + i);
            objectsChanged_();
            return true;
        }
    }
    return false;
}

void WorldRegion::clearAll()
{
    cubeZones.clear();
    customObjects.clear();
    zonesChanged_();
    objectsChanged_();
}

void WorldRegion::saveToFile(RecordWriter& writer, bool objects) const
{
    if (objects)
        writeBlock(writer, customObjects);
    else
        writeBlock(writer, cubeZones);
}

void WorldRegion::loadFromFile(RecordReader& reader, bool objects)
{
    zonesChanged_();
    if (objects)
    {
        objectsChanged_();
        readBlock(reader, customObjects, OBJECT_RECORD_BYTES, "a script object block's count",
                  "a script object block's extra length", "a script object block's extra data");
    }
    else
        readBlock(reader, cubeZones, MIN_ZONE_RECORD_BYTES, "a cube zone block's count",
                  "a cube zone block's extra length", "a cube zone block's extra data");
}

std::vector<CubeZone> const& WorldRegion::getCubeZones() const
{
    return cubeZones;
}

std::vector<CustomObject> const& WorldRegion::getCustomObjects() const
{
    return customObjects;
}

CustomObject* WorldRegion::findCustomObject(uint64_t serial)
{
    for (CustomObject& object : customObjects)
        if (object.getSerial() == serial)
            return &object;
    return NULL;
}

bool WorldRegion::isEmpty() const
{
    return cubeZones.empty() && customObjects.empty();
}

bool WorldRegion::hasBuffer() const
{
    return vbo != NULL;
}

bool WorldRegion::getWasManaged() const
{
    return wasManaged;
}

bool WorldRegion::takeWasManaged()
{
    bool const managed = wasManaged;
    wasManaged = false;
    return managed;
}
