#include "RecordWriter.h"

#include "Errors.h"

#include <cstring>

namespace
{
void encodeUint32(uint32_t value, unsigned char* bytes)
{
    bytes[0] = (unsigned char)(value & 0xFF);
    bytes[1] = (unsigned char)((value >> 8) & 0xFF);
    bytes[2] = (unsigned char)((value >> 16) & 0xFF);
    bytes[3] = (unsigned char)((value >> 24) & 0xFF);
}

uint32_t floatBits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}
}

RecordWriter::RecordWriter(FILE* file) : file(file)
{
    ASSERT(file != NULL, "RecordWriter needs an open file");
}

void RecordWriter::writeInt32(int32_t value)
{
    unsigned char bytes[4] = {};
    encodeUint32(uint32_t(value), bytes);
    std::fwrite(bytes, 1, 4, file);
}

void RecordWriter::writeFloat(float value)
{
    unsigned char bytes[4] = {};
    encodeUint32(floatBits(value), bytes);
    std::fwrite(bytes, 1, 4, file);
}

void RecordWriter::writeFloat3(Float3 const& value)
{
    writeFloats(value.data(), 3);
}

void RecordWriter::writeByte(unsigned char value)
{
    std::fputc(value, file);
}

void RecordWriter::writeString(std::string const& text)
{
    writeInt32(int32_t(text.size()));
    std::fwrite(text.data(), 1, text.size(), file);
}

void RecordWriter::writeFloats(float const* values, int64_t count)
{
    // Encoded through a small buffer: one write call per 64 floats.
    unsigned char buffer[256] = {};
    int64_t done = 0;
    while (done < count)
    {
        int64_t const chunk = count - done < 64 ? count - done : 64;
        for (int64_t i = 0; i < chunk; ++i)
            encodeUint32(floatBits(values[done + i]), buffer + i * 4);
        std::fwrite(buffer, 1, size_t(chunk * 4), file);
        done += chunk;
    }
}
