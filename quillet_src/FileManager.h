#ifndef FILEMANAGER_H
#define FILEMANAGER_H

// Four queries on the file system used by the main loop, the editor and the
// file menu: the directory part of a path, a directory's entries, a file's size
// and whether a file exists; the length of an open file, which every reader of
// whole files measures the same way; and writing a file in place of another so
// that a crash or power loss leaves either the previous file or the new one
// whole, never a mix. Stateless.

#include <cstdio>
#include <string>
#include <vector>

class FileManager
{
public:
    // The path up to and including its last '/' or '\\'; empty when it has none.
    static std::string getDirectoryFromFilePath(std::string const& path);
    // A new list (the caller deletes it) of the entry names, "." and ".." left out,
    // in the order the system reports them; null when the directory cannot be opened.
    static std::vector<std::string>* getDirectoryFiles(std::string const& directory);
    static std::vector<std::string>* getDirectoryFiles(char const* directory, int length);
    // Length in bytes, or 0xFFFFFFFF when the file cannot be opened.
    static unsigned int getFileSize(std::string const& path);
    static bool fileExists(std::string const& path);
    // Length in bytes of an open regular file, whose position is put back at its start;
    // -1 for anything else (a folder opens on Linux and seeks to an absurd end).
    static long getOpenFileLength(FILE* file);

    // A new temporary file beside fileName, open for writing its replacement;
    // null, with errno telling why, when it cannot be made.
    static FILE* openReplacement(std::string const& fileName, std::string& temporaryName);
    // Flushes the written replacement to disk, gives it the permissions of the
    // file it replaces, closes it and puts it in place of fileName. On failure
    // returns false with errno telling why, the temporary file removed and the
    // previous file untouched.
    static bool commitReplacement(FILE* file, std::string const& temporaryName, std::string const& fileName);
};

#endif
