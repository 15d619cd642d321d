#include "SoundManager.h"

#include "DataPack.h"
#include "Errors.h"
#include "Sound_OpenAL.h"

#include <AL/alut.h>

#include <cstdio>
#include <vector>

SoundManager::SoundManager(std::string const& programPath) : sounds(), soundIsOn(false)
{
    initSound_OpenAL(programPath);
}

SoundManager::~SoundManager()
{
    for (auto& entry : sounds)
        delete entry.second;
    sounds.clear();
    deinitSound_OpenAL();
}

Sound_Abstract* SoundManager::getSound(char const* fileName)
{
    ASSERT(fileName != NULL, "SoundManager::getSound needs a file name");
    auto const found = sounds.find(fileName);
    if (found != sounds.end())
        return found->second;
    Sound_Abstract* const sound = loadSoundFromFile_OpenAL(fileName);
    sounds[fileName] = sound;
    return sound;
}

bool SoundManager::isSoundOn() const
{
    return soundIsOn;
}

void SoundManager::initSound_OpenAL(std::string const& programPath)
{
    // ALUT may rewrite the argument list, so it gets a private copy.
    std::vector<char> programName(programPath.begin(), programPath.end());
    programName.push_back('\0');
    char* argv[] = {programName.data(), NULL};
    int argc = 1;
    if (alutInit(&argc, argv) != AL_TRUE)
    {
        Errors::printError(std::string("Sound is off: ") + alutGetErrorString(alutGetError()));
        return;
    }
    soundIsOn = true;
    // setVolume moves a source between 2000000 (full) and 2025500 (silent);
    // a linear model makes that distance a linear volume. Sources at the
    // listener's position keep full gain.
    alDistanceModel(AL_LINEAR_DISTANCE_CLAMPED);
}

void SoundManager::deinitSound_OpenAL()
{
    if (!soundIsOn)
        return;
    alutExit();
    soundIsOn = false;
}

Sound_Abstract* SoundManager::loadSoundFromFile_OpenAL(char const* fileName) const
{
    if (!soundIsOn)
        return new Sound_OpenAL(0, 0);
    ALuint source = 0;
    alGenSources(1, &source);
    alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    ALuint const buffer = loadBuffer_(fileName);
    if (buffer != AL_NONE)
        alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    return new Sound_OpenAL(buffer, source);
}

unsigned SoundManager::loadBuffer_(char const* fileName) const
{
    ALuint const buffer = DataPack::defaultDataPack != NULL ? decodeFromDataPack_(fileName)
                                                             : alutCreateBufferFromFile(fileName);
    // A sound that cannot be decoded stays silent, but never without a word.
    if (buffer == AL_NONE)
        Errors::printError(std::string("Cannot load sound '") + fileName + "': " +
                           alutGetErrorString(alutGetError()));
    return buffer;
}

unsigned SoundManager::decodeFromDataPack_(char const* fileName) const
{
    unsigned int size = 0;
    FILE* const fileDesc = DataPack::defaultDataPack->getFileDescriptor(fileName, size, false);
    ASSERT(fileDesc != NULL, "Sound missing in datapack");
    std::vector<unsigned char> bytes(size);
    // The stream is the pack's own: it is read, never closed.
    if (std::fread(bytes.data(), 1, size, fileDesc) != size)
    {
        Errors::printError(std::string("Sound '") + fileName + "' is cut short in the data pack");
        return AL_NONE;
    }
    return alutCreateBufferFromFileImage(bytes.data(), static_cast<ALsizei>(size));
}
