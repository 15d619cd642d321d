#include "WavFile.h"

#include <algorithm>
#include <cmath>

namespace
{
void putLittleEndian(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t getLittleEndian(std::string const& in, size_t offset, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<uint8_t>(in[offset + i]);
    return value;
}

int const HEADER_SIZE = 44;
}

namespace WavFile
{
std::string encode(std::vector<float> const& samples, int sampleRate)
{
    uint32_t const dataSize = static_cast<uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    putLittleEndian(out, 36 + dataSize, 4);
    out += "WAVEfmt ";
    putLittleEndian(out, 16, 4);             // format chunk size
    putLittleEndian(out, 1, 2);              // PCM
    putLittleEndian(out, 1, 2);              // mono
    putLittleEndian(out, sampleRate, 4);
    putLittleEndian(out, sampleRate * 2, 4); // bytes per second
    putLittleEndian(out, 2, 2);              // bytes per frame
    putLittleEndian(out, 16, 2);             // bits per sample
    out += "data";
    putLittleEndian(out, dataSize, 4);
    for (float sample : samples)
    {
        long const value = std::lround(std::max(-1.0f, std::min(1.0f, sample)) * 32767.0f);
        putLittleEndian(out, static_cast<uint32_t>(static_cast<int16_t>(value)) & 0xFFFF, 2);
    }
    return out;
}

bool decode(std::string const& bytes, std::vector<int16_t>& samples, int& sampleRate)
{
    if (bytes.size() < HEADER_SIZE || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 8, "WAVEfmt ") != 0 ||
        bytes.compare(36, 4, "data") != 0)
        return false;
    bool const isMonoPcm16 = getLittleEndian(bytes, 16, 4) == 16 && getLittleEndian(bytes, 20, 2) == 1 &&
                             getLittleEndian(bytes, 22, 2) == 1 && getLittleEndian(bytes, 34, 2) == 16;
    uint32_t const dataSize = getLittleEndian(bytes, 40, 4);
    if (!isMonoPcm16 || dataSize % 2 != 0 || dataSize != bytes.size() - HEADER_SIZE ||
        getLittleEndian(bytes, 4, 4) != 36 + dataSize)
        return false;
    sampleRate = static_cast<int>(getLittleEndian(bytes, 24, 4));
    samples.resize(dataSize / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(getLittleEndian(bytes, HEADER_SIZE + 2 * i, 2));
    return true;
}
}
