#ifndef PACKFOLDER_H
#define PACKFOLDER_H

// A folder of game data as a data pack and back: every file of the folder
// and its subfolders goes in under its relative path with '/' separators,
// and extraction recreates those paths. Reading and writing the pack itself
// is the engine's DataPack. Stateless: free functions only.

#include <ostream>
#include <string>
#include <vector>

namespace PackFolder
{
// The folder's files as relative paths, in byte order.
std::vector<std::string> listFolderFiles(std::string const& folder);
// Packs every file of the folder (but the pack itself, should it lie there).
void createPack(std::string const& folder, std::string const& packPath);
// One line per entry: its name and size in bytes.
void printPack(std::string const& packPath, std::ostream& out);
// Writes every entry under the folder. An entry whose name could leave the
// folder (absolute, or with a ".." part) or that cannot be written is not
// extracted; each gives one line in the result.
std::vector<std::string> extractPack(std::string const& packPath, std::string const& folder);
// Relative, with no empty, "." or ".." part.
bool isSafeEntryName(std::string const& name);
} // namespace PackFolder

#endif
