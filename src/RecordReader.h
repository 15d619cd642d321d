#ifndef RECORDREADER_H
#define RECORDREADER_H

// Reads the little-endian fields of the world file's records from an open
// file, and stops the program with a report naming the file and the field when
// the file ends inside a record or holds a count or length larger than the
// bytes left. It never owns the file: the caller opens and closes it. Every
// record of the world model (cube types, cube zones, script objects, element
// blocks, the region table) is read through it, so a damaged file can never
// make the program allocate on a corrupt count or read past the end unnoticed.
// It reads ahead in large pieces: once it has been used, the file's own
// position is past what was read, and the caller should only close the file.

#include "BasicVector.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class RecordReader
{
public:
    // Reads from the file's current position to its end; fileName is only
    // used in the reports.
    RecordReader(FILE* file, std::string const& fileName);

    int32_t readInt32(char const* what);
    float readFloat(char const* what);
    Float3 readFloat3(char const* what);
    unsigned char readByte(char const* what);
    // An int32 length then that many bytes; the text is cut at its first zero byte.
    std::string readString(char const* what);
    // count consecutive floats.
    void readFloats(float* values, int64_t count, char const* what);
    // A count of elements that take at least bytesEach bytes in the file: it
    // must be neither negative nor larger than what the rest of the file can hold.
    int32_t readCount(int64_t bytesEach, char const* what);
    // The same check on a count read otherwise.
    void checkCount(int64_t count, int64_t bytesEach, char const* what) const;
    void skip(int64_t bytes, char const* what);

    // One field straight from the file, unbuffered, for records that may end
    // early without that being an error (game saves): false, with the value
    // untouched, when the file ends first; the file is left after the field.
    static bool tryReadInt32(FILE* file, int32_t& value);
    static bool tryReadFloat(FILE* file, float& value);

    int64_t getBytesLeft() const;
    std::string const& getFileName() const;
    // The fatal report for a file whose contents make no sense.
    [[noreturn]] void failCorrupt(std::string const& problem) const;

private:
    void readBytes_(void* destination, int64_t bytes, char const* what);
    [[noreturn]] void failTruncated_(char const* what) const;

    FILE* file;
    std::string fileName;
    // Counted as we go rather than asked of the file, so checking a count
    // costs no system call.
    int64_t bytesLeft;
    // Read ahead, so that the many small fields of a world cost few library calls.
    std::vector<unsigned char> buffer;
    size_t bufferPosition;
    size_t bufferEnd;
};

#endif
