#include "FileManager.h"

#include "Errors.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include "Utils.h"

#include <io.h>
#include <windows.h>
#endif

namespace
{
#ifdef _WIN32
// Windows keeps no permission bits to carry over.
bool keepPermissions(int, std::string const&)
{
    return true;
}

bool syncToDisk(int descriptor)
{
    return _commit(descriptor) == 0;
}

// The rename of the C library refuses to replace an existing file.
bool replaceFile(std::string const& from, std::string const& to)
{
    if (MoveFileExW(Utils::stringToWstring(from).c_str(), Utils::stringToWstring(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return false;
}

// Links are rare on Windows and its replacing move takes the link's place.
bool resolveSymbolicLinks(std::string const& fileName, std::string& target)
{
    target = fileName;
    return true;
}
#else
// As many as the system follows when opening a file.
int const MAX_SYMBOLIC_LINKS_FOLLOWED = 40;

// The end of the chain of symbolic links starting at fileName (a relative
// link is read from its own folder). A chain too long to be anything but a
// loop gives false, errno telling why.
bool resolveSymbolicLinks(std::string const& fileName, std::string& target)
{
    target = fileName;
    for (int level = 0; level < MAX_SYMBOLIC_LINKS_FOLLOWED; ++level)
    {
        struct stat status = {};
        if (lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return true;
        char linked[PATH_MAX] = {};
        ssize_t const length = readlink(target.c_str(), linked, sizeof(linked));
        if (length < 0)
            return false;
        if (size_t(length) == sizeof(linked))
        {
            errno = ENAMETOOLONG;
            return false;
        }
        std::string const name(linked, size_t(length));
        target = !name.empty() && name[0] == '/' ? name : target.substr(0, target.rfind('/') + 1) + name;
    }
    errno = ELOOP;
    return false;
}

// The mode a new file gets from the process's umask.
mode_t getDefaultFileMode()
{
    mode_t const mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The replacement keeps the permissions of the file it replaces.
bool keepPermissions(int descriptor, std::string const& fileName)
{
    struct stat existing = {};
    mode_t const mode = stat(fileName.c_str(), &existing) == 0 ? existing.st_mode & 07777 : getDefaultFileMode();
    return fchmod(descriptor, mode) == 0;
}

bool syncToDisk(int descriptor)
{
    return fsync(descriptor) == 0;
}

// Makes a rename in the folder survive a power loss; failure only weakens that.
void flushFolder(std::string const& fileName)
{
    std::string folder = FileManager::getDirectoryFromFilePath(fileName);
    if (folder.empty())
        folder = ".";
    int const descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0)
        return;
    fsync(descriptor);
    close(descriptor);
}

bool replaceFile(std::string const& from, std::string const& to)
{
    if (rename(from.c_str(), to.c_str()) != 0)
        return false;
    flushFolder(to);
    return true;
}
#endif
}

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

bool FileManager::openReplacement(std::string const& fileName, Replacement& replacement)
{
    replacement = Replacement();
    if (!resolveSymbolicLinks(fileName, replacement.target))
        return false;
    replacement.temporaryName = replacement.target + ".saving-XXXXXX";
    int const descriptor = mkstemp(&replacement.temporaryName[0]);
    if (descriptor < 0)
        return false;
    replacement.file = fdopen(descriptor, "w+b");
    if (replacement.file == NULL)
    {
        int const reason = errno;
        close(descriptor);
        unlink(replacement.temporaryName.c_str());
        errno = reason;
        return false;
    }
    return true;
}

bool FileManager::commitReplacement(Replacement& replacement)
{
    ASSERT(replacement.file != NULL, NULL);
    FILE* const file = replacement.file;
    replacement.file = NULL;
    int const descriptor = fileno(file);
    bool const written = fflush(file) == 0 && ferror(file) == 0 && keepPermissions(descriptor, replacement.target) &&
                         syncToDisk(descriptor);
    int const writeError = errno;
    bool const closed = fclose(file) == 0;
    if (written && closed && replaceFile(replacement.temporaryName, replacement.target))
        return true;
    // errno tells of the close or the replacement when the writing itself went well.
    int const reason = written ? errno : writeError;
    unlink(replacement.temporaryName.c_str());
    errno = reason;
    return false;
}
