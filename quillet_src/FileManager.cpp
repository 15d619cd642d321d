#include "FileManager.h"

#include "Errors.h"

#include <cstdio>
#include <cstring>
#include <dirent.h>

std::string FileManager::getDirectoryFromFilePath(std::string const& path)
{
    size_t const separator = path.find_last_of("/\\");
    if (separator == std::string::npos)
        return std::string();
    return path.substr(0, separator + 1);
}

std::vector<std::string>* FileManager::getDirectoryFiles(std::string const& directory)
{
    DIR* const folder = opendir(directory.c_str());
    if (folder == NULL)
        return NULL;
    std::vector<std::string>* const names = new std::vector<std::string>();
    for (dirent* entry = readdir(folder); entry != NULL; entry = readdir(folder))
    {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
            continue;
        names->push_back(entry->d_name);
    }
    closedir(folder);
    return names;
}

std::vector<std::string>* FileManager::getDirectoryFiles(char const* directory, int length)
{
    ASSERT(directory != NULL && length >= 0, NULL);
    return getDirectoryFiles(std::string(directory, strnlen(directory, size_t(length))));
}

unsigned int FileManager::getFileSize(std::string const& path)
{
    FILE* const file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return 0xFFFFFFFFu;
    long const start = ftell(file);
    long end = start;
    if (fseek(file, 0, SEEK_END) == 0)
        end = ftell(file);
    fclose(file);
    return (unsigned int)(end - start);
}

bool FileManager::fileExists(std::string const& path)
{
    FILE* const file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    fclose(file);
    return true;
}
