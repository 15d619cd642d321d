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

    // A file being written in place of another.
    struct Replacement
    {
        // Open for writing; null until opened.
        FILE* file = NULL;
        // The file replaced: the end of the chain of symbolic links starting at
        // the name asked for, so that the links stay and the file they name
        // receives the new contents.
        std::string target;
        // The new contents' own file beside the target until they take its place.
        std::string temporaryName;
    };

    // Opens a new temporary file beside the file fileName names; false, with
    // errno telling why, when it cannot be made.
    static bool openReplacement(std::string const& fileName, Replacement& replacement);
    // Flushes the written replacement to disk, gives it the permissions of the
    // file it replaces, closes it and puts it in that file's place. On failure
    // returns false with errno telling why, the temporary file removed and the
    // previous file untouched.
    static bool commitReplacement(Replacement& replacement);
};

#endif
