#pragma once

#include <string>

// Speaks one utterance to its end before returning. Any failure (no engine, no voice, no
// audio device, a failed call) is returned as false with a reason in error.
class SpeechEngine
{
public:
    virtual ~SpeechEngine() = default;
    virtual bool speakText(const std::string &text, std::string &error) = 0;
};
