#pragma once

#include "core/settings/AppSettings.h"
#include "core/speech/SpeechEngine.h"
#include "core/speech/SpeechPlan.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The warning shown (as a warning box with a single OK button and no program heading) when
// the speech engine fails; voice output is then switched off.
inline constexpr char SpeakNotSupportedText[] = "Speak not supported";

// Blocks the calling thread for the given time; the windows pass a plain sleep, tests a recorder.
using SpeechSleep = std::function<void(int milliseconds)>;

// Speaks the plan step by step: each Say through the engine, each Pause through sleep. Stops at
// the first failed utterance (nothing after it is said or waited for) and returns false, with
// the engine's reason in reason when one is given.
bool speakPlan(const std::vector<SpeechStep> &plan, SpeechEngine &engine, const SpeechSleep &sleep,
               std::string *reason = nullptr);

// Turns all three voice settings off, as after a failed utterance.
void switchVoiceOff(AppSettings &settings);

// Speaks the shown result texts for the voice settings that are on, then what the line below
// them shows, after a pause. When speech fails, the settings are switched off and false comes
// back: the caller then shows SpeakNotSupportedText. With all settings off nothing is spoken
// and true comes back.
bool speakResult(std::string_view sortText, std::string_view bureauText,
                 std::string_view entityText, AppSettings &settings, SpeechEngine &engine,
                 const SpeechSleep &sleep, std::string *reason = nullptr,
                 const BelowAnswers &below = {});
