// The data generator program: DataGenerator <folder> fills the folder with the
// game's data files. The build runs it into the game data folder.

#include "GameData.h"

#include <cstdio>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: %s <game data folder>\n", argv[0]);
        return 2;
    }
    struct stat info;
    if (stat(argv[1], &info) != 0 || !S_ISDIR(info.st_mode))
    {
        fprintf(stderr, "ERROR : '%s' is not a folder\n", argv[1]);
        return 1;
    }
    std::vector<std::string> files;
    if (!GameData::generate(argv[1], files))
        return 1;
    printf("Game data: %zu files written into '%s'\n", files.size(), argv[1]);
    return 0;
}
