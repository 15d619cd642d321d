#include "DataPack.h"

#include "Errors.h"
#include "FileManager.h"

#include <iostream>
#include <memory>
#include <vector>

DataPack* DataPack::defaultDataPack = NULL;

namespace
{
constexpr long SIZE_FIELD_BYTES = 4;

unsigned int decodeSize(unsigned char const bytes[SIZE_FIELD_BYTES])
{
    return (unsigned int)(bytes[0]) | (unsigned int)(bytes[1]) << 8 | (unsigned int)(bytes[2]) << 16 |
           (unsigned int)(bytes[3]) << 24;
}

bool readSizeField(FILE* stream, unsigned int& size)
{
    unsigned char bytes[SIZE_FIELD_BYTES] = {0, 0, 0, 0};
    if (fread(bytes, 1, SIZE_FIELD_BYTES, stream) != size_t(SIZE_FIELD_BYTES))
        return false;
    size = decodeSize(bytes);
    return true;
}

void writeSizeField(FILE* stream, unsigned int size)
{
    unsigned char const bytes[SIZE_FIELD_BYTES] = {(unsigned char)(size), (unsigned char)(size >> 8),
                                                   (unsigned char)(size >> 16), (unsigned char)(size >> 24)};
    fwrite(bytes, 1, SIZE_FIELD_BYTES, stream);
}

// Reads a pack from its start in large blocks: entry headers are parsed out of
// the block in memory, and only skips past the block seek the stream, so a pack
// of many small entries costs few reads.
class BlockReader
{
public:
    explicit BlockReader(FILE* stream_) : stream(stream_), block(BLOCK_SIZE) {}

    // The next byte, or EOF.
    int getByte()
    {
        if (cursor == filled && !refill_())
            return EOF;
        return block[cursor++];
    }

    bool read(unsigned char* target, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
        {
            int const c = getByte();
            if (c == EOF)
                return false;
            target[i] = (unsigned char)(c);
        }
        return true;
    }

    // Moves to an absolute offset at or after the current one.
    bool moveTo(long offset)
    {
        if (offset <= blockStart + long(filled))
        {
            cursor = size_t(offset - blockStart);
            return true;
        }
        blockStart = offset;
        filled = 0;
        cursor = 0;
        return fseek(stream, offset, SEEK_SET) == 0;
    }

private:
    static constexpr size_t BLOCK_SIZE = 1 << 16;

    bool refill_()
    {
        blockStart += long(filled);
        cursor = 0;
        filled = fread(block.data(), 1, block.size(), stream);
        return filled > 0;
    }

    FILE* stream = NULL;
    std::vector<unsigned char> block;
    // File offset of block[0]; the stream stands at blockStart + filled.
    long blockStart = 0;
    size_t filled = 0;
    size_t cursor = 0;
};

// Reads a 0-terminated name; false when the pack ends first.
bool readName(BlockReader& reader, std::string& name)
{
    name.clear();
    for (int c = reader.getByte(); c != EOF; c = reader.getByte())
    {
        if (c == 0)
            return true;
        name += char(c);
    }
    return false;
}
}

long DataPack::indexEntries(FILE* stream, long length, std::map<std::string, long>& index, bool verbose)
{
    BlockReader reader(stream);
    long position = 0;
    std::string name;
    while (position < length)
    {
        if (!readName(reader, name))
            return length + 1 + SIZE_FIELD_BYTES; // the 0 byte and the size are missing
        long const offset = position + long(name.size()) + 1;
        unsigned char sizeBytes[SIZE_FIELD_BYTES] = {0, 0, 0, 0};
        if (!reader.read(sizeBytes, SIZE_FIELD_BYTES))
            return offset + SIZE_FIELD_BYTES;
        unsigned int const size = decodeSize(sizeBytes);
        if (verbose)
            std::cout << "  Found file " << name << " (" << size << "; offset " << offset << ")." << std::endl;
        index[name] = offset;
        position = offset + SIZE_FIELD_BYTES + long(size);
        if (position > length || !reader.moveTo(position))
            return position;
    }
    return position;
}

DataPack::DataPack(char const* path, bool verbose)
{
    ASSERT(path != NULL, NULL);
    if (verbose)
        std::cout << "Parsing dataPack " << path << " ... " << std::endl;
    fd = fopen(path, "rb");
    if (fd == NULL)
        FATAL_ERROR((std::string("Datapack file missing: ") + path).c_str());
    long const sizeDataPack = FileManager::getOpenFileLength(fd);
    ASSERT(sizeDataPack >= 0, "DataPack: the pack is not a plain file that can be measured");
    long const entriesEnd = indexEntries(fd, sizeDataPack, index, verbose);
    // A cut-short entry leaves the position past the end, where the check below catches it.
    fseek(fd, entriesEnd, SEEK_SET);
    ASSERT(ftell(fd) == sizeDataPack,
           (std::string("Malformed data pack '") + path + "': its last entry is cut short").c_str());
    if (verbose)
        std::cout << "... end parsing dataPack." << std::endl;
}

DataPack::~DataPack()
{
    if (defaultDataPack == this)
        defaultDataPack = NULL;
    fclose(fd);
}

FILE* DataPack::getFileDescriptor(char const* name, unsigned int& size, bool verbose)
{
    ASSERT(name != NULL, NULL);
    std::map<std::string, long>::const_iterator const found = index.find(name);
    if (found == index.end())
    {
        if (verbose)
            std::cout << "DataPack::getFileDescriptor: Didn't found file " << name << ", returning null." << std::endl;
        return NULL;
    }
    unsigned int entrySize = 0;
    bool const read = fseek(fd, found->second, SEEK_SET) == 0 && readSizeField(fd, entrySize);
    ASSERT(read, "DataPack::getFileDescriptor: the pack file can no longer be read");
    size = entrySize;
    if (verbose)
        std::cout << "DataPack::getFileDescriptor: Found file " << name << " with size " << size << " at offset "
                  << found->second << std::endl;
    return fd;
}

size_t DataPack::getFileCount() const
{
    return index.size();
}

std::vector<std::string> DataPack::getFileNames() const
{
    std::vector<std::string> names;
    for (std::pair<std::string const, long> const& entry : index)
        names.push_back(entry.first);
    return names;
}

void DataPack::saveFilesInDataPack(std::vector<std::string> const& fileNames, char const* path, bool verbose,
                                   std::string const& sourceFolder)
{
    ASSERT(path != NULL, NULL);
    FILE* const packFd = fopen(path, "wb");
    ASSERT(packFd != NULL, (std::string("saveFilesInDataPack: cannot create ") + path).c_str());
    for (std::string const& fileName : fileNames)
    {
        if (verbose)
            std::cout << "Adding file " << fileName << " ... " << std::flush;
        fwrite(fileName.c_str(), 1, fileName.size() + 1, packFd);
        FILE* const tmpFd = fopen((sourceFolder + fileName).c_str(), "rb");
        ASSERT(tmpFd != NULL, "saveFilesInDataPack problem");
        long const length = FileManager::getOpenFileLength(tmpFd);
        // The size field holds 32 bits: a longer file cannot be packed.
        ASSERT(length >= 0 && length <= long(0xFFFFFFFFu), "saveFilesInDataPack problem");
        writeSizeField(packFd, (unsigned int)(length));
        std::unique_ptr<unsigned char[]> const content(new unsigned char[length > 0 ? size_t(length) : 1]);
        bool const copied = fread(content.get(), 1, size_t(length), tmpFd) == size_t(length) &&
                            fwrite(content.get(), 1, size_t(length), packFd) == size_t(length);
        fclose(tmpFd);
        ASSERT(copied, "saveFilesInDataPack problem");
        if (verbose)
            std::cout << "done." << std::endl;
    }
    bool const closed = fclose(packFd) == 0;
    ASSERT(closed, "saveFilesInDataPack problem");
}
