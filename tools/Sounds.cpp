#include "Sounds.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace
{
float const PI = 3.14159265f;

// Short fade in and out, so the sound starts and ends at zero.
float edgeFade(size_t index, size_t count)
{
    size_t const fade = Sounds::SAMPLE_RATE / 500; // 2 ms
    float gain = 1.0f;
    if (index < fade)
        gain = index / float(fade);
    if (count - 1 - index < fade)
        gain = std::min(gain, (count - 1 - index) / float(fade));
    return gain;
}
}

namespace Sounds
{
std::vector<float> makeFootstep()
{
    Noise const noise(51);
    size_t const count = SAMPLE_RATE * 14 / 100; // 140 ms
    std::vector<float> samples(count);
    float lowPassed = 0.0f;
    for (size_t i = 0; i < count; ++i)
    {
        float const t = i / float(SAMPLE_RATE);
        float const white = noise.at(static_cast<int>(i), 0, 0) * 2.0f - 1.0f;
        lowPassed += (white - lowPassed) * 0.18f; // soft scuff rather than hiss
        float const thump = std::sin(2.0f * PI * (95.0f - 120.0f * t) * t) * std::exp(-t * 38.0f);
        float const scuff = lowPassed * std::exp(-t * 25.0f) * 1.6f;
        samples[i] = (0.75f * thump + 0.45f * scuff) * edgeFade(i, count);
    }
    return samples;
}

std::vector<float> makeJump()
{
    size_t const count = SAMPLE_RATE * 28 / 100; // 280 ms
    std::vector<float> samples(count);
    float phase = 0.0f;
    for (size_t i = 0; i < count; ++i)
    {
        float const t = i / float(SAMPLE_RATE);
        float const frequency = 260.0f + 900.0f * t; // rising pitch
        phase += 2.0f * PI * frequency / SAMPLE_RATE;
        float const tone = std::sin(phase) + 0.3f * std::sin(2.0f * phase);
        float const envelope = std::min(1.0f, t * 60.0f) * std::exp(-t * 9.0f);
        samples[i] = 0.5f * tone * envelope * edgeFade(i, count);
    }
    return samples;
}

std::vector<float> makePickup()
{
    size_t const count = SAMPLE_RATE * 35 / 100; // 350 ms
    size_t const secondNote = SAMPLE_RATE * 8 / 100;
    std::vector<float> samples(count);
    for (size_t i = 0; i < count; ++i)
    {
        float const t = i / float(SAMPLE_RATE);
        // A bell: a fundamental with a quieter, faster-dying octave.
        float sample = std::sin(2.0f * PI * 988.0f * t) * std::exp(-t * 14.0f);
        sample += 0.3f * std::sin(2.0f * PI * 1976.0f * t) * std::exp(-t * 30.0f);
        if (i >= secondNote)
        {
            float const u = (i - secondNote) / float(SAMPLE_RATE);
            sample += std::sin(2.0f * PI * 1480.0f * u) * std::exp(-u * 11.0f);
        }
        samples[i] = 0.35f * sample * edgeFade(i, count);
    }
    return samples;
}
}
