#include "Sound_OpenAL.h"

#include "Utils.h"

#include <AL/al.h>

namespace
{
// setVolume places the source between these distances from the listener; the
// manager's linear distance model maps them to full gain and to silence.
float const NEAREST_DISTANCE = 2000000.0f;
float const FARTHEST_DISTANCE = 2025500.0f;
unsigned const POLL_PERIOD_MS = 10;
}

Sound_OpenAL::Sound_OpenAL(uint32_t buffer, uint32_t source) : buffer(buffer), source(source)
{
}

Sound_OpenAL::~Sound_OpenAL()
{
    if (source != 0)
        alDeleteSources(1, &source);
    if (buffer != 0)
        alDeleteBuffers(1, &buffer);
}

void Sound_OpenAL::play(bool waitForEnd)
{
    if (isSilent())
        return;
    alSourcePlay(source);
    if (!waitForEnd)
        return;
    // Ends on anything but "playing" too, so a lost device cannot hang the caller.
    int state = AL_PLAYING;
    do
    {
        state = getSourceState_();
        Utils::sleepMs(POLL_PERIOD_MS);
    } while (state == AL_PLAYING);
}

void Sound_OpenAL::setVolume(unsigned char volume)
{
    if (isSilent())
        return;
    float const x = static_cast<float>(volume) * -100.0f + FARTHEST_DISTANCE;
    alSourcef(source, AL_REFERENCE_DISTANCE, NEAREST_DISTANCE);
    alSourcef(source, AL_MAX_DISTANCE, FARTHEST_DISTANCE);
    alSource3f(source, AL_POSITION, x, 0.0f, 0.0f);
}

bool Sound_OpenAL::isPlaying() const
{
    if (isSilent())
        return false;
    int const state = getSourceState_();
    return state != AL_STOPPED && state != AL_INITIAL;
}

Float3 Sound_OpenAL::getSourcePosition() const
{
    Float3 position(0.0f, 0.0f, 0.0f);
    if (!isSilent())
        alGetSource3f(source, AL_POSITION, &position[0], &position[1], &position[2]);
    return position;
}

bool Sound_OpenAL::isSilent() const
{
    return source == 0;
}

int Sound_OpenAL::getSourceState_() const
{
    // Stays "stopped" when the state cannot be read.
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}
