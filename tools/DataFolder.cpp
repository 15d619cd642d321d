#include "DataFolder.h"

#include "PngFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

DataFolder::DataFolder(std::string const& root) : root(root), ok(true)
{
}

std::string DataFolder::getPath(std::string const& relativePath) const
{
    return root + "/" + relativePath;
}

bool DataFolder::makeParentFolders(std::string const& relativePath)
{
    std::string path = root;
    size_t start = 0;
    for (size_t slash = relativePath.find('/'); slash != std::string::npos; slash = relativePath.find('/', start))
    {
        path += "/" + relativePath.substr(start, slash - start);
        start = slash + 1;
        if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        {
            fprintf(stderr, "ERROR : cannot create folder '%s': %s\n", path.c_str(), strerror(errno));
            return false;
        }
    }
    return true;
}

void DataFolder::finishWrite(std::string const& relativePath, bool succeeded)
{
    if (succeeded)
        writtenFiles.push_back(relativePath);
    else
        ok = false;
}

void DataFolder::savePicture(std::string const& relativePath, Canvas const& picture, bool withAlpha)
{
    finishWrite(relativePath,
                makeParentFolders(relativePath) && PngFile::write(getPath(relativePath), picture, withAlpha));
}

void DataFolder::saveBytes(std::string const& relativePath, std::string const& bytes)
{
    if (!makeParentFolders(relativePath))
    {
        finishWrite(relativePath, false);
        return;
    }
    std::string const path = getPath(relativePath);
    FILE* file = fopen(path.c_str(), "wb");
    bool written = file != NULL && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != NULL && fclose(file) != 0)
        written = false;
    if (!written)
        fprintf(stderr, "ERROR : cannot write '%s'\n", path.c_str());
    finishWrite(relativePath, written);
}
