#include "platform/EspeakEngine.h"

#include "core/speech/VoiceOutput.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string SortPhrase = "sort this Q S L card under , Kielo , 4 , ";
const std::string EntityPhrase = "D X C C or W Ey Ee , iss , sovereign military Order of Malta";

// Why sound output might work here, or empty when nothing suggests it: then the library has
// nowhere to play to, and a failure is the only right answer.
std::string audioOutputEvidence()
{
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator("/dev/snd", ec)) {
        if (entry.path().filename().string().starts_with("pcm"))
            return "/dev/snd has PCM devices";
    }
    std::ifstream cards("/proc/asound/cards");
    std::string firstLine;
    if (std::getline(cards, firstLine) && !firstLine.empty() &&
        firstLine.find("no soundcards") == std::string::npos)
        return "/proc/asound/cards lists a sound card";
    if (std::getenv("PULSE_SERVER"))
        return "PULSE_SERVER is set";
    if (std::getenv("ALSA_CONFIG_PATH"))
        return "ALSA_CONFIG_PATH is set";

    std::vector<fs::path> sockets = {
        "/run/pulse/native", fs::path("/run/user") / std::to_string(getuid()) / "pulse" / "native",
        fs::path("/run/user") / std::to_string(getuid()) / "pipewire-0"};
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR")) {
        sockets.push_back(fs::path(runtime) / "pulse" / "native");
        sockets.push_back(fs::path(runtime) / "pipewire-0");
    }
    // An ALSA configuration can define an output without hardware, a null device for instance.
    std::vector<fs::path> configs = {"/etc/asound.conf"};
    if (const char *home = std::getenv("HOME"))
        configs.push_back(fs::path(home) / ".asoundrc");
    for (const auto &paths : {sockets, configs}) {
        for (const fs::path &path : paths) {
            if (fs::exists(path, ec))
                return path.string() + " exists";
        }
    }
    return {};
}

#define SKIP_IF_SOUND_OUTPUT_MAY_WORK()                                                            \
    do {                                                                                           \
        const std::string evidence = audioOutputEvidence();                                        \
        if (!evidence.empty())                                                                     \
            GTEST_SKIP() << "sound output may work here (" << evidence                             \
                         << "), so its absence cannot be checked";                                 \
    } while (false)

std::size_t renderedLength(const std::string &text)
{
    EspeakEngine engine(EspeakEngine::Output::Memory);
    std::string error;
    EXPECT_TRUE(engine.speakText(text, error)) << error;
    return engine.sampleCount();
}

int peakAmplitude(const std::vector<short> &samples)
{
    int peak = 0;
    for (short sample : samples)
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    return peak;
}

TEST(EspeakMemoryTest, RendersAPhraseIntoAudibleSamples)
{
    EspeakEngine engine(EspeakEngine::Output::Memory);
    std::string error;

    ASSERT_TRUE(engine.speakText(SortPhrase, error)) << error;
    EXPECT_TRUE(error.empty());
    ASSERT_GE(engine.sampleRate(), 8000);
    ASSERT_LE(engine.sampleRate(), 48000);
    const double seconds =
        static_cast<double>(engine.sampleCount()) / static_cast<double>(engine.sampleRate());
    // Eight spoken words at the default rate.
    EXPECT_GT(seconds, 1.0);
    EXPECT_LT(seconds, 8.0);
    EXPECT_GT(peakAmplitude(engine.samples()), 1000) << "only silence was rendered";
}

TEST(EspeakMemoryTest, KeepsOnlyTheLastUtterance)
{
    EspeakEngine engine(EspeakEngine::Output::Memory);
    std::string error;

    ASSERT_TRUE(engine.speakText(EntityPhrase, error)) << error;
    const std::size_t longer = engine.sampleCount();
    ASSERT_TRUE(engine.speakText("Alfa", error)) << error;
    const std::size_t shorter = engine.sampleCount();

    EXPECT_GT(shorter, 0u);
    EXPECT_LT(shorter * 4, longer);
}

TEST(EspeakMemoryTest, RepeatsAnUtteranceAtTheSameLength)
{
    const std::size_t first = renderedLength(SortPhrase);
    const std::size_t second = renderedLength(SortPhrase);
    ASSERT_GT(first, 0u);
    // The voice varies its timing a little from one utterance to the next.
    const auto difference = first > second ? first - second : second - first;
    EXPECT_LT(difference * 50, first) << first << " vs " << second << " samples";
}

TEST(EspeakDeviceTest, FailsWithoutASoundDevice)
{
    SKIP_IF_SOUND_OUTPUT_MAY_WORK();
    EspeakEngine engine(EspeakEngine::Output::SoundDevice);
    std::string error;

    // The sound libraries' complaints go into the reason, not onto the terminal.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(engine.speakText(SortPhrase, error));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(error.find("audio device"), std::string::npos) << error;
    // Every attempt fails the same way, not only the first.
    error.clear();
    EXPECT_FALSE(engine.speakText(SortPhrase, error));
    EXPECT_FALSE(error.empty());
}

TEST(EspeakDeviceTest, ResultWithoutASoundDeviceEndsInSpeakNotSupported)
{
    SKIP_IF_SOUND_OUTPUT_MAY_WORK();
    EspeakEngine engine(EspeakEngine::Output::SoundDevice);
    AppSettings settings;
    settings.speakSort = settings.speakBureau = settings.speakDxcc = true;
    int pauses = 0;

    EXPECT_FALSE(speakResult("K4", "ARRL W4 - call area 4a", "United States", settings, engine,
                             [&pauses](int) { ++pauses; }));
    EXPECT_FALSE(settings.speaksAnything());
    EXPECT_EQ(pauses, 0);
}

TEST(EspeakDeviceTest, FailedPlaybackLeavesNothingForTheNextUtterance)
{
    SKIP_IF_SOUND_OUTPUT_MAY_WORK();
    const std::size_t clean = renderedLength(EntityPhrase);
    EspeakEngine device(EspeakEngine::Output::SoundDevice);
    std::string error;
    ASSERT_FALSE(device.speakText(SortPhrase, error));

    const std::size_t after = renderedLength(EntityPhrase);
    const auto difference = clean > after ? clean - after : after - clean;
    EXPECT_LT(difference * 50, clean)
        << "the failed utterance was rendered in front: " << clean << " vs " << after << " samples";
}

// Speaks with the library pointed at an empty data folder and ends the process: 0 when the
// utterance failed, after writing the reason to stderr.
[[noreturn]] void speakWithoutEngineData()
{
    const fs::path empty = fs::temp_directory_path() / ("vorn-espeak-" + std::to_string(getpid()));
    fs::create_directories(empty);
    setenv("ESPEAK_DATA_PATH", empty.c_str(), 1);
    EspeakEngine engine(EspeakEngine::Output::Memory);
    std::string error;
    const bool spoken = engine.speakText(SortPhrase, error);
    fs::remove_all(empty);
    std::cerr << "reason: " << error << std::endl;
    std::exit(spoken ? 3 : 0);
}

TEST(EspeakStartTest, MissingEngineDataIsAFailureNotAnExit)
{
    // The library starts once per process, so this needs a fresh one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(speakWithoutEngineData(), testing::ExitedWithCode(0),
                "reason: espeak-ng cannot start: .*phontab");
}

} // namespace
