#ifndef SOUNDMANAGER_H
#define SOUNDMANAGER_H

// The sound system: starts OpenAL (through ALUT) for its lifetime and keeps one
// loaded sound per file name, so every user of a file shares the same sound.
// It owns the sounds. On a machine without an audio device it says so once and
// hands out silent sounds, so the program runs on without sound.

#include "Sound_Abstract.h"

#include <map>
#include <string>

class SoundManager
{
public:
    explicit SoundManager(std::string const& programPath);
    ~SoundManager();

    SoundManager(SoundManager const&) = delete;
    SoundManager& operator=(SoundManager const&) = delete;

    // The sound of that file, loaded on the first request (from the default data
    // pack when one is open, else from disk).
    Sound_Abstract* getSound(char const* fileName);

    // False when no audio device could be opened: every sound is then silent.
    bool isSoundOn() const;

private:
    void initSound_OpenAL(std::string const& programPath);
    void deinitSound_OpenAL();
    Sound_Abstract* loadSoundFromFile_OpenAL(char const* fileName) const;
    // The decoded samples of the file; AL_NONE (reported) when it cannot be decoded.
    unsigned loadBuffer_(char const* fileName) const;
    unsigned decodeFromDataPack_(char const* fileName) const;

    // Ordered by name so the sounds are deleted in name order.
    std::map<std::string, Sound_Abstract*> sounds;
    bool soundIsOn;
};

#endif
