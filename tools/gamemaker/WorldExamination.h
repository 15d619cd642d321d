#ifndef WORLDEXAMINATION_H
#define WORLDEXAMINATION_H

// What the world examiner finds in a loaded world: the summary of its cube
// types, regions, zones, script objects and static shadows, and the checks
// of a game folder against it (textures present, zones of existing cube
// types). Works on the world as the game reads it, without a window.
// Stateless: free functions only.

#include <ostream>
#include <set>
#include <string>
#include <vector>

class IndexedWorld;

namespace WorldExamination
{
void printSummary(IndexedWorld& world, std::ostream& out);
// The script object type ids the world holds.
std::set<int> getObjectTypes(IndexedWorld const& world);
// One line per face texture missing from the game folder's cube_textures/ or
// cube_shadowed_textures/ (each file named once).
std::vector<std::string> checkTextures(IndexedWorld& world, std::string const& gameFolder);
// One line per zone whose cube type id the world does not have.
std::vector<std::string> checkZoneCubeTypes(IndexedWorld const& world);
} // namespace WorldExamination

#endif
