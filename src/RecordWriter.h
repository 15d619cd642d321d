#ifndef RECORDWRITER_H
#define RECORDWRITER_H

// Writes the little-endian fields of the world file's records to an open file
// (the counterpart of RecordReader). It never owns the file. Write failures
// stay in the file's error flag, which the caller checks with ferror once the
// whole file is written, so one check covers every record.

#include "BasicVector.h"

#include <cstdint>
#include <cstdio>
#include <string>

class RecordWriter
{
public:
    explicit RecordWriter(FILE* file);

    void writeInt32(int32_t value);
    void writeFloat(float value);
    void writeFloat3(Float3 const& value);
    void writeByte(unsigned char value);
    // The int32 length then the bytes, without terminator.
    void writeString(std::string const& text);
    void writeFloats(float const* values, int64_t count);

private:
    FILE* file;
};

#endif
