#include "DataPack.h"
#include "SoundManager.h"
#include "Sound_OpenAL.h"
#include "TestSupport.h"
#include "Utils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <string>
#include <vector>

namespace
{
int const RATE = 44100;

void appendLittleEndian(std::string& bytes, uint32_t value, int byteCount)
{
    for (int i = 0; i < byteCount; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A mono 16-bit WAV file holding a loud 440 Hz tone.
std::string makeToneWav(int milliseconds)
{
    int const frames = RATE * milliseconds / 1000;
    std::string bytes = "RIFF";
    appendLittleEndian(bytes, 36 + frames * 2, 4);
    bytes += "WAVEfmt ";
    appendLittleEndian(bytes, 16, 4);
    appendLittleEndian(bytes, 1, 2); // PCM
    appendLittleEndian(bytes, 1, 2); // mono
    appendLittleEndian(bytes, RATE, 4);
    appendLittleEndian(bytes, RATE * 2, 4);
    appendLittleEndian(bytes, 2, 2);
    appendLittleEndian(bytes, 16, 2);
    bytes += "data";
    appendLittleEndian(bytes, frames * 2, 4);
    for (int i = 0; i < frames; ++i)
    {
        double const sample = 20000.0 * std::sin(2.0 * M_PI * 440.0 * i / RATE);
        appendLittleEndian(bytes, static_cast<uint32_t>(static_cast<int16_t>(sample)), 2);
    }
    return bytes;
}

// Routes OpenAL Soft's output into a mono 16-bit WAV file instead of a device.
// Must run before the first OpenAL call of the process.
std::string captureOutputTo(std::string const& folder)
{
    std::string const capture = folder + "/captured.wav";
    std::string const config = folder + "/alsoft.conf";
    TestSupport::writeFile(config, "[general]\nchannels = mono\nsample-type = int16\nfrequency = 44100\n"
                                   "[wave]\nfile = " + capture + "\n");
    setenv("ALSOFT_CONF", config.c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    return capture;
}

void withoutAudioDevice()
{
    setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
}

// Loudness of each 10 ms of a captured mono 16-bit WAV: the peak magnitude.
std::vector<int> peaksPer10Ms(std::string const& wav)
{
    size_t const data = wav.find("data");
    EXPECT_NE(data, std::string::npos);
    std::vector<int> peaks;
    if (data == std::string::npos)
        return peaks;
    size_t const firstSample = data + 8;
    size_t const samplesPerWindow = RATE / 100;
    size_t const sampleCount = (wav.size() - firstSample) / 2;
    for (size_t start = 0; start + samplesPerWindow <= sampleCount; start += samplesPerWindow)
    {
        int peak = 0;
        for (size_t i = start; i < start + samplesPerWindow; ++i)
        {
            int16_t sample = 0;
            std::memcpy(&sample, wav.data() + firstSample + 2 * i, 2);
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        }
        peaks.push_back(peak);
    }
    return peaks;
}

int const AUDIBLE = 1000;
int const SILENT = 50;
}

TEST(SoundManager, PlayedToneIsAudibleWhilePlayingAndSilentAfter)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string const capture = captureOutputTo(folder);
    std::string const tone = folder + "/tone.wav";
    TestSupport::writeFile(tone, makeToneWav(300));

    SoundManager* manager = new SoundManager("quillet_tests");
    ASSERT_TRUE(manager->isSoundOn());
    Sound_Abstract* sound = manager->getSound(tone.c_str());
    EXPECT_FALSE(sound->isPlaying());
    Utils::sleepMs(200);
    sound->play(false);
    EXPECT_TRUE(sound->isPlaying());
    Utils::sleepMs(100);
    EXPECT_TRUE(sound->isPlaying());
    sound->play(true);
    EXPECT_FALSE(sound->isPlaying());
    Utils::sleepMs(300);
    delete manager; // closes the device, which completes the captured file

    std::vector<int> const peaks = peaksPer10Ms(TestSupport::readFile(capture));
    int firstAudible = -1;
    int lastAudible = -1;
    for (int i = 0; i < static_cast<int>(peaks.size()); ++i)
        if (peaks[i] > AUDIBLE)
        {
            if (firstAudible < 0)
                firstAudible = i;
            lastAudible = i;
        }
    ASSERT_GE(firstAudible, 0) << "nothing audible was captured";
    // The tone was restarted while playing: one source, heard once 100 ms then
    // 300 ms again, never twice at a time.
    EXPECT_NEAR((lastAudible - firstAudible + 1) * 10, 400, 80);
    EXPECT_GE(firstAudible, 10) << "audible before the sound was played";
    ASSERT_GE(static_cast<int>(peaks.size()) - lastAudible, 15) << "the capture stops too soon after the tone";
    for (size_t i = lastAudible + 5; i < peaks.size(); ++i)
        EXPECT_LE(peaks[i], SILENT) << "sound after the end, at " << i * 10 << " ms";
}

TEST(SoundManager, VolumeZeroIsSilentAndFullVolumeIsAudible)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string const capture = captureOutputTo(folder);
    std::string const tone = folder + "/tone.wav";
    TestSupport::writeFile(tone, makeToneWav(200));

    SoundManager* manager = new SoundManager("quillet_tests");
    Sound_OpenAL* sound = static_cast<Sound_OpenAL*>(manager->getSound(tone.c_str()));
    sound->setVolume(0);
    EXPECT_EQ(sound->getSourcePosition(), Float3(2025500.0f, 0.0f, 0.0f));
    sound->play(true);
    Utils::sleepMs(50);
    sound->setVolume(255);
    EXPECT_EQ(sound->getSourcePosition(), Float3(2000000.0f, 0.0f, 0.0f));
    sound->play(true);
    Utils::sleepMs(100);
    delete manager;

    std::vector<int> const peaks = peaksPer10Ms(TestSupport::readFile(capture));
    int audibleWindows = 0;
    for (int peak : peaks)
        if (peak > AUDIBLE)
            ++audibleWindows;
    // Only the full-volume play is heard: about 200 ms, not 400.
    EXPECT_NEAR(audibleWindows * 10, 200, 60);
}

TEST(SoundManager, SameFileGivesTheSameSound)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    captureOutputTo(folder);
    TestSupport::writeFile(folder + "/a.wav", makeToneWav(50));
    TestSupport::writeFile(folder + "/b.wav", makeToneWav(50));
    SoundManager manager("quillet_tests");
    Sound_Abstract* const first = manager.getSound((folder + "/a.wav").c_str());
    EXPECT_EQ(manager.getSound((folder + "/a.wav").c_str()), first);
    EXPECT_NE(manager.getSound((folder + "/b.wav").c_str()), first);
}

TEST(SoundManager, UndecodableFileIsReportedAndStaysSilent)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    captureOutputTo(folder);
    TestSupport::writeFile(folder + "/bad.wav", "RIFF this is no sound");
    SoundManager manager("quillet_tests");
    testing::internal::CaptureStderr();
    Sound_Abstract* const sound = manager.getSound((folder + "/bad.wav").c_str());
    std::string const errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("ERROR : Cannot load sound '" + folder + "/bad.wav'"), std::string::npos) << errors;
    sound->play(true);
    EXPECT_FALSE(sound->isPlaying());
}

TEST(SoundManager, WithoutAudioDeviceSaysSoOnceAndRunsSilently)
{
    withoutAudioDevice();
    std::string const folder = TestSupport::makeTemporaryFolder();
    TestSupport::writeFile(folder + "/a.wav", makeToneWav(50));
    testing::internal::CaptureStderr();
    {
        SoundManager manager("quillet_tests");
        EXPECT_FALSE(manager.isSoundOn());
        Sound_Abstract* const sound = manager.getSound((folder + "/a.wav").c_str());
        EXPECT_EQ(manager.getSound((folder + "/a.wav").c_str()), sound);
        Sound_Abstract* const missing = manager.getSound((folder + "/missing.wav").c_str());
        sound->setVolume(255);
        sound->play(true);
        missing->play(false);
        EXPECT_FALSE(sound->isPlaying());
        EXPECT_FALSE(missing->isPlaying());
    }
    std::string const errors = testing::internal::GetCapturedStderr();
    size_t const first = errors.find("ERROR : Sound is off");
    EXPECT_NE(first, std::string::npos) << errors;
    EXPECT_EQ(errors.find("ERROR :", first + 1), std::string::npos) << "reported more than once: " << errors;
}

TEST(SoundManager, SoundsComeFromTheDefaultDataPackWhenOneIsOpen)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string const capture = captureOutputTo(folder);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    TestSupport::writeFile("packed.wav", makeToneWav(200));
    DataPack::saveFilesInDataPack({"packed.wav"}, "sounds.pack", false);
    unlink("packed.wav"); // only the pack holds it now
    DataPack::defaultDataPack = new DataPack("sounds.pack", false);

    SoundManager* manager = new SoundManager("quillet_tests");
    manager->getSound("packed.wav")->play(true);
    delete manager;

    int audibleWindows = 0;
    for (int peak : peaksPer10Ms(TestSupport::readFile(capture)))
        if (peak > AUDIBLE)
            ++audibleWindows;
    EXPECT_NEAR(audibleWindows * 10, 200, 60);
    EXPECT_EXIT(SoundManager("quillet_tests").getSound("absent.wav"), testing::ExitedWithCode(1),
                "Condition: fileDesc != NULL\nMessage: Sound missing in datapack");
}
