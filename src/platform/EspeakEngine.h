#pragma once

#include "core/speech/SpeechEngine.h"

#include <cstddef>
#include <string>
#include <vector>

// Speaks through the espeak-ng library, synchronously, with the library's default voice, rate
// and volume (none is chosen here: the library picks its default voice on the first utterance).
//
// espeak-ng keeps its whole state in the process rather than in an object, so all EspeakEngine
// objects share one library session. It is set up on the first utterance and kept until the
// process ends, because libespeak-ng 1.51 cannot be set up again: after espeak_ng_Terminate a
// new espeak_ng_Initialize leaves espeak_ng_Synchronize waiting forever. Utterances are
// serialised by a lock, and the library's output is switched to the mode of the engine that
// speaks. Once a sound device has been opened, the library keeps it open and cannot switch
// back to it later, so memory output is refused in that process from then on.
class EspeakEngine : public SpeechEngine
{
public:
    enum class Output {
        SoundDevice, // plays through the default audio output; returns once it has been played
        Memory,      // renders into samples() and plays nothing
    };

    explicit EspeakEngine(Output output = Output::SoundDevice) : m_output(output) {}

    // One utterance. Fails, with the library's reason, when the library or its data cannot be
    // set up, the voice is missing, or the sound device cannot be opened.
    bool speakText(const std::string &text, std::string &error) override;

    Output output() const { return m_output; }

    // Memory output: the 16-bit mono samples of the last successful utterance and their rate.
    const std::vector<short> &samples() const { return m_samples; }
    std::size_t sampleCount() const { return m_samples.size(); }
    int sampleRate() const { return m_sampleRate; }

private:
    Output m_output;
    std::vector<short> m_samples;
    int m_sampleRate = 0;
};
