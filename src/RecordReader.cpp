#include "RecordReader.h"

#include "Errors.h"

#include <algorithm>
#include <cstring>

namespace
{
uint32_t decodeUint32(unsigned char const* bytes)
{
    return uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 24);
}

float decodeFloat(unsigned char const* bytes)
{
    uint32_t const bits = decodeUint32(bytes);
    float value = 0.f;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}
}

namespace
{
size_t const READ_AHEAD_BYTES = 1 << 16;
}

RecordReader::RecordReader(FILE* file, std::string const& fileName)
    : file(file), fileName(fileName), bytesLeft(0), buffer(READ_AHEAD_BYTES), bufferPosition(0), bufferEnd(0)
{
    ASSERT(file != NULL, "RecordReader needs an open file");
    long const start = std::ftell(file);
    if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0)
    {
        long const end = std::ftell(file);
        bytesLeft = end > start ? end - start : 0;
        std::fseek(file, start, SEEK_SET);
    }
}

bool RecordReader::tryReadInt32(FILE* file, int32_t& value)
{
    unsigned char bytes[4] = {};
    if (std::fread(bytes, 1, 4, file) != 4)
        return false;
    value = int32_t(decodeUint32(bytes));
    return true;
}

bool RecordReader::tryReadFloat(FILE* file, float& value)
{
    unsigned char bytes[4] = {};
    if (std::fread(bytes, 1, 4, file) != 4)
        return false;
    value = decodeFloat(bytes);
    return true;
}

void RecordReader::failTruncated_(char const* what) const
{
    std::string const message = "File '" + fileName + "' is truncated: it ends inside " + what;
    FATAL_ERROR(message.c_str());
}

void RecordReader::readBytes_(void* destination, int64_t bytes, char const* what)
{
    if (bytes > bytesLeft)
        failTruncated_(what);
    unsigned char* target = static_cast<unsigned char*>(destination);
    size_t wanted = size_t(bytes);
    while (wanted > 0)
    {
        if (bufferPosition == bufferEnd)
        {
            bufferPosition = 0;
            bufferEnd = std::fread(buffer.data(), 1, buffer.size(), file);
            if (bufferEnd == 0)
                failTruncated_(what);
        }
        size_t const piece = std::min(wanted, bufferEnd - bufferPosition);
        std::memcpy(target, buffer.data() + bufferPosition, piece);
        bufferPosition += piece;
        target += piece;
        wanted -= piece;
    }
    bytesLeft -= bytes;
}

int32_t RecordReader::readInt32(char const* what)
{
    unsigned char bytes[4] = {};
    readBytes_(bytes, 4, what);
    return int32_t(decodeUint32(bytes));
}

float RecordReader::readFloat(char const* what)
{
    unsigned char bytes[4] = {};
    readBytes_(bytes, 4, what);
    return decodeFloat(bytes);
}

Float3 RecordReader::readFloat3(char const* what)
{
    float values[3] = {};
    readFloats(values, 3, what);
    return Float3(values[0], values[1], values[2]);
}

unsigned char RecordReader::readByte(char const* what)
{
    unsigned char byte = 0;
    readBytes_(&byte, 1, what);
    return byte;
}

std::string RecordReader::readString(char const* what)
{
    int32_t const length = readCount(1, what);
    std::string text(size_t(length), '\0');
    if (length > 0)
        readBytes_(&text[0], length, what);
    size_t const zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    return text;
}

void RecordReader::readFloats(float* values, int64_t count, char const* what)
{
    // Read in one call, decode in place: the world's shadow lists are long.
    readBytes_(values, count * 4, what);
    unsigned char* const bytes = reinterpret_cast<unsigned char*>(values);
    for (int64_t i = 0; i < count; ++i)
    {
        unsigned char raw[4] = {};
        std::memcpy(raw, bytes + i * 4, 4);
        values[i] = decodeFloat(raw);
    }
}

int32_t RecordReader::readCount(int64_t bytesEach, char const* what)
{
    int32_t const count = readInt32(what);
    checkCount(count, bytesEach, what);
    return count;
}

void RecordReader::checkCount(int64_t count, int64_t bytesEach, char const* what) const
{
    if (count < 0)
        failCorrupt(std::string(what) + " is negative (" + std::to_string(count) + ")");
    if (count * bytesEach > bytesLeft)
    {
        std::string const message = "File '" + fileName + "' is truncated or corrupt: " + what + " " +
                                    std::to_string(count) + " needs more than the " + std::to_string(bytesLeft) +
                                    " bytes left";
        FATAL_ERROR(message.c_str());
    }
}

void RecordReader::skip(int64_t bytes, char const* what)
{
    if (bytes > bytesLeft)
        failTruncated_(what);
    int64_t const buffered = int64_t(bufferEnd - bufferPosition);
    if (bytes <= buffered)
        bufferPosition += size_t(bytes);
    else
    {
        bufferPosition = bufferEnd = 0;
        if (std::fseek(file, long(bytes - buffered), SEEK_CUR) != 0)
            failTruncated_(what);
    }
    bytesLeft -= bytes;
}

int64_t RecordReader::getBytesLeft() const
{
    return bytesLeft;
}

std::string const& RecordReader::getFileName() const
{
    return fileName;
}

void RecordReader::failCorrupt(std::string const& problem) const
{
    std::string const message = "File '" + fileName + "' is corrupt: " + problem;
    FATAL_ERROR(message.c_str());
}
