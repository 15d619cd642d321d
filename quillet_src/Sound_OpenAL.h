#ifndef SOUND_OPENAL_H
#define SOUND_OPENAL_H

// One sound played through OpenAL: the decoded samples (a buffer) and the one
// source that plays them. It owns both. A sound made while sound is off holds
// neither and every operation on it does nothing, so callers never have to
// know whether the machine has an audio device.

#include "BasicVector.h"
#include "Sound_Abstract.h"

#include <cstdint>

class Sound_OpenAL : public Sound_Abstract
{
public:
    // Takes ownership of both names; 0 and 0 make a silent sound.
    Sound_OpenAL(uint32_t buffer, uint32_t source);
    ~Sound_OpenAL() override;

    Sound_OpenAL(Sound_OpenAL const&) = delete;
    Sound_OpenAL& operator=(Sound_OpenAL const&) = delete;

    // Starts (or restarts) the source; with waitForEnd, returns when it stops.
    void play(bool waitForEnd) override;
    // Moves the source along the x axis: 255 nearest (2000000), 0 farthest (2025500).
    void setVolume(unsigned char volume) override;
    // A paused source counts as playing; a never-played one does not.
    bool isPlaying() const override;

    // Where the source stands; (0, 0, 0) for a silent sound.
    Float3 getSourcePosition() const;
    bool isSilent() const;

private:
    int getSourceState_() const;

    // OpenAL names are plain integers; 0 is never a valid source name, which is
    // why it marks a silent sound.
    uint32_t buffer;
    uint32_t source;
};

#endif
