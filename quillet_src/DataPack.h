#ifndef DATAPACK_H
#define DATAPACK_H

// A read-only archive of named files stored back to back: for each entry its
// name and a 0 byte, a 4-byte little-endian size, then that many content bytes.
// The pack owns its open stream and an index from entry name to the offset of
// the entry's size field; lookups move that one stream, so a stream handed out
// is valid until the next lookup or the pack's destruction.

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class DataPack
{
public:
    // The pack images and sounds are taken from; null when they come from loose files.
    static DataPack* defaultDataPack;

    // Opens and indexes the pack; a missing or malformed pack stops the program.
    DataPack(char const* path, bool verbose);
    ~DataPack();
    DataPack(DataPack const&) = delete;
    DataPack& operator=(DataPack const&) = delete;

    // The pack's stream positioned at the entry's first content byte, its size in size;
    // null (size unchanged) when the pack has no such entry. The caller must not close it.
    FILE* getFileDescriptor(char const* name, unsigned int& size, bool verbose);
    size_t getFileCount() const;
    // The entry names, in byte order.
    std::vector<std::string> getFileNames() const;

    // Writes a new pack holding the named files, under their names, in order;
    // each file is read from sourceFolder (ending with a separator, or empty) + its name.
    static void saveFilesInDataPack(std::vector<std::string> const& fileNames, char const* path, bool verbose,
                                    std::string const& sourceFolder = std::string());

    // Reads the entries of a pack of length bytes from stream (at its start) into index.
    // Returns where the entries end: length for a well-formed pack, beyond it when the last
    // entry is cut short (a name without its 0 byte, or a size past the end).
    static long indexEntries(FILE* stream, long length, std::map<std::string, long>& index, bool verbose);

private:
    FILE* fd = NULL;
    // Entry name -> offset of its size field; a later entry of the same name replaces an earlier one.
    std::map<std::string, long> index;
};

#endif
