#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One step of speaking a result: an utterance, or a silent wait between two utterances.
struct SpeechStep
{
    enum class Kind { Say, Pause };

    Kind kind = Kind::Say;
    std::string text;     // Say: the phrase handed to the speech engine unchanged
    int milliseconds = 0; // Pause: how long to wait

    static SpeechStep say(std::string phrase) { return {Kind::Say, std::move(phrase), 0}; }
    static SpeechStep pause(int ms) { return {Kind::Pause, {}, ms}; }

    bool operator==(const SpeechStep &) const = default;
};

// The wait between two spoken result lines.
inline constexpr int SpeechLinePauseMs = 1000;

// The utterances and pauses that speak the three shown result texts, for the enabled lines.
// An unspellable sort text ("", "unknown" or one holding "incomplete") says so on the sort line
// (for an entity without a bureau: that there is none) and leaves out the bureau line.
std::vector<SpeechStep> planSpeech(std::string_view sortText, std::string_view bureauText,
                                   std::string_view entityText, bool speakSort, bool speakBureau,
                                   bool speakDxcc);

// What the line below the three answers shows for a portable or guest call, in the pieces that
// are spoken: the home call's sort prefix and bureau ("DL", "DARC QSL bureau"; "" and "none"
// for a home entity without a bureau; both empty when the line names no home call) and the
// entity where the station operates (empty when the line names none).
struct BelowAnswers
{
    std::string_view homeSort;
    std::string_view homeBureau;
    std::string_view location;
};

// The utterances and pauses that speak the line below the answers, for the enabled lines: the
// home call's pile spelled as the sort line spells it (with the sort line), its bureau (with
// the bureau line), and where the station operates (with the entity line). Nothing when the
// line shows nothing that is enabled.
std::vector<SpeechStep> planBelowAnswers(const BelowAnswers &below, bool speakSort,
                                         bool speakBureau, bool speakDxcc);

// The word that spells an ASCII letter (either case) for the speech engine; any other character
// comes back unchanged as a one-character text.
std::string phoneticWord(char c);

// The name with its abbreviations written out as whole words, so that the engine reads them.
std::string expandForSpeech(std::string_view name);

// The text with the first exact occurrence of abbreviation replaced; unchanged without one.
std::string replaceFirst(std::string_view abbreviation, std::string_view replacement,
                         std::string_view text);
