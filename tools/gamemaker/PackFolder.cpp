#include "PackFolder.h"

#include "DataPack.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;

namespace
{
bool isSamePath(fs::path const& a, fs::path const& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error);
}

bool copyEntry(FILE* pack, unsigned size, std::string const& target)
{
    std::unique_ptr<unsigned char[]> const content(new unsigned char[size > 0 ? size : 1]);
    if (fread(content.get(), 1, size, pack) != size)
        return false;
    FILE* const out = fopen(target.c_str(), "wb");
    if (out == NULL)
        return false;
    bool const written = fwrite(content.get(), 1, size, out) == size;
    return fclose(out) == 0 && written;
}
} // namespace

namespace PackFolder
{
std::vector<std::string> listFolderFiles(std::string const& folder)
{
    std::vector<std::string> files;
    for (fs::directory_entry const& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), folder).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

void createPack(std::string const& folder, std::string const& packPath)
{
    std::vector<std::string> files = listFolderFiles(folder);
    files.erase(std::remove_if(files.begin(), files.end(),
                               [&](std::string const& file) { return isSamePath(folder + "/" + file, packPath); }),
                files.end());
    DataPack::saveFilesInDataPack(files, packPath.c_str(), false, folder + "/");
}

void printPack(std::string const& packPath, std::ostream& out)
{
    DataPack pack(packPath.c_str(), false);
    for (std::string const& name : pack.getFileNames())
    {
        unsigned size = 0;
        pack.getFileDescriptor(name.c_str(), size, false);
        out << name << " " << size << std::endl;
    }
}

std::vector<std::string> extractPack(std::string const& packPath, std::string const& folder)
{
    DataPack pack(packPath.c_str(), false);
    std::vector<std::string> problems;
    for (std::string const& name : pack.getFileNames())
    {
        if (!isSafeEntryName(name))
        {
            problems.push_back("entry '" + name + "' not extracted: its name leads out of the folder");
            continue;
        }
        fs::path const target = fs::path(folder) / name;
        std::error_code error;
        fs::create_directories(target.parent_path(), error);
        unsigned size = 0;
        FILE* const stream = pack.getFileDescriptor(name.c_str(), size, false);
        if (error || !copyEntry(stream, size, target.string()))
            problems.push_back("entry '" + name + "' not extracted: cannot write " + target.string());
    }
    return problems;
}

bool isSafeEntryName(std::string const& name)
{
    if (name.empty() || name[0] == '/')
        return false;
    std::istringstream parts(name);
    std::string part;
    while (std::getline(parts, part, '/'))
        if (part.empty() || part == "." || part == "..")
            return false;
    return name.back() != '/';
}
} // namespace PackFolder
