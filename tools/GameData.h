#ifndef GAMEDATA_H
#define GAMEDATA_H

// Everything the game loads from its working directory, made from nothing but
// this generator's own code (and the system's DejaVu fonts for lettering):
// pictures, font, sky, cube and water textures, the player's and the script
// objects' models, sounds, the height map and the demo game's title picture.
// Two runs give byte-identical files. Files that other tools put in the folder (the world and the game
// script) are left alone.

#include <string>
#include <vector>

namespace GameData
{
// Fills folder (which must exist); returns false, after printing why, when
// anything could not be made. writtenFiles receives the relative paths.
bool generate(std::string const& folder, std::vector<std::string>& writtenFiles);
}

#endif
