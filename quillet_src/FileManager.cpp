#include "FileManager.h"

#include "Errors.h"

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

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
    long const length = getOpenFileLength(file);
    fclose(file);
    return length < 0 ? 0xFFFFFFFFu : (unsigned int)(length);
}

bool FileManager::fileExists(std::string const& path)
{
    FILE* const file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    fclose(file);
    return true;
}

long FileManager::getOpenFileLength(FILE* file)
{
    ASSERT(file != NULL, NULL);
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode))
        return -1;
    if (fseek(file, 0, SEEK_END) != 0)
        return -1;
    long const length = ftell(file);
    if (fseek(file, 0, SEEK_SET) != 0)
        return -1;
    return length;
}
