#ifndef WAVFILE_H
#define WAVFILE_H

// Mono 16-bit PCM WAV files: the plain 44-byte RIFF header ("fmt " then
// "data") that every WAV decoder accepts. Encoding and decoding live together
// so the generator's checks read exactly what it writes.

#include <cstdint>
#include <string>
#include <vector>

namespace WavFile
{
// The file bytes for samples in [-1, 1] (clipped) at the given rate.
std::string encode(std::vector<float> const& samples, int sampleRate);
// Reads a mono 16-bit PCM file back; false when the bytes are not one.
bool decode(std::string const& bytes, std::vector<int16_t>& samples, int& sampleRate);
}

#endif
