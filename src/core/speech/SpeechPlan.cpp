#include "core/speech/SpeechPlan.h"

#include "core/text/Ascii.h"
#include "core/text/TextLines.h"

#include <array>
#include <utility>

namespace {

// The phrases keep their odd spellings and spaced letters: they steer the engine's
// pronunciation ("iss" rather than "is", "Q S L" letter by letter, " , " as a short break).
constexpr std::string_view SortIntro = "sort this Q S L card under , ";
constexpr std::string_view SpellSeparator = " , ";
constexpr std::string_view CallIncomplete = "call , iss , incomplete";
constexpr std::string_view BureauUnknown = "Q S L bureau , iss , unnowenn";
constexpr std::string_view BureauIntro = "the Q S L bureau , iss , ";
constexpr std::string_view NoBureau = "There iss no Q S L bureau";
constexpr std::string_view EntityIntro = "D X C C or W Ey Ee , iss , ";
constexpr std::string_view EntityUnknown = "D X C C or W Ey Ee , iss , unnowenn";
constexpr std::string_view HomeSortIntro = "home call , sort under , ";
constexpr std::string_view HomeBureauIntro = "home call , the Q S L bureau , iss , ";
constexpr std::string_view HomeNoBureau = "home call , There iss no Q S L bureau";
constexpr std::string_view LocationIntro = "operating from , ";

constexpr std::array<std::string_view, 26> PhoneticAlphabet = {
    "Alfa",     "Bravo", "Charlie", "Delta",  "Echo",     "Foxtrot", "Ghollef", "Hotel",  "India",
    "Juliette", "Kielo", "Liema",   "Mike",   "November", "Oscar",   "Papa",    "Qubeck", "Romeo",
    "Sierra",   "Tango", "Uniform", "Victor", "Whiskey",  "Xray",    "Yankee",  "Zulu",
};

// Applied in this order; the blanks around each abbreviation keep it from matching inside a word.
constexpr std::array<std::pair<std::string_view, std::string_view>, 11> Expansions = {{
    {" Is. ", " Island "},
    {" I. ", " Island "},
    {" HQ ", " headquarters "},
    {" NY ", " New York "},
    {" OE ", " Austria "},
    {" Fed. ", " federal "},
    {" Rep. ", " republic "},
    {" Prov. ", " province "},
    {" (Europe) ", " Europe "},
    {" Sov ", " sovereign "},
    {" Mil ", " military "},
}};

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

std::string joined(std::string_view head, std::string_view tail)
{
    std::string text(head);
    text += tail;
    return text;
}

// The dash of a " - call area ..." suffix is read as a comma, so the engine pauses there.
void dashesToCommas(std::string &text)
{
    for (std::size_t j = 1; j + 1 < text.size(); ++j) {
        if (text[j] == '-' && text[j - 1] == ' ' && text[j + 1] == ' ')
            text[j] = ',';
    }
}

// Each character of a sort prefix by its phonetic word, each followed by the separator.
std::string spelled(std::string_view intro, std::string_view sortText)
{
    std::string text(intro);
    for (char c : sortText) {
        text += phoneticWord(c);
        text += SpellSeparator;
    }
    return text;
}

} // namespace

std::vector<SpeechStep> planSpeech(std::string_view sortText, std::string_view bureauText,
                                   std::string_view entityText, bool speakSort, bool speakBureau,
                                   bool speakDxcc)
{
    std::vector<SpeechStep> plan;
    bool bureauDealtWith = false;

    if (speakSort) {
        const bool incomplete = contains(sortText, "incomplete");
        if (!sortText.empty() && sortText != "unknown" && !incomplete) {
            plan.push_back(SpeechStep::say(spelled(SortIntro, sortText)));
        } else {
            // An entity without a bureau has no sort prefix either; that is news, not a gap.
            std::string_view phrase = BureauUnknown;
            if (incomplete)
                phrase = CallIncomplete;
            else if (bureauText == "none")
                phrase = NoBureau;
            plan.push_back(SpeechStep::say(std::string(phrase)));
            // The sort line has said all there is about the bureau; saying it twice adds nothing.
            bureauDealtWith = true;
        }
        if (speakBureau || speakDxcc)
            plan.push_back(SpeechStep::pause(SpeechLinePauseMs));
    }

    if (speakBureau && !bureauDealtWith) {
        if (bureauText.empty() || bureauText == "unknown") {
            plan.push_back(SpeechStep::say(std::string(BureauUnknown)));
        } else if (bureauText == "none") {
            plan.push_back(SpeechStep::say(std::string(NoBureau)));
        } else {
            std::string expanded = expandForSpeech(bureauText);
            dashesToCommas(expanded);
            plan.push_back(SpeechStep::say(joined(BureauIntro, expanded)));
        }
        if (speakDxcc)
            plan.push_back(SpeechStep::pause(SpeechLinePauseMs));
    }

    if (speakDxcc) {
        if (entityText.empty() || entityText == "unknown")
            plan.push_back(SpeechStep::say(std::string(EntityUnknown)));
        else
            plan.push_back(SpeechStep::say(joined(EntityIntro, expandForSpeech(entityText))));
    }
    return plan;
}

std::vector<SpeechStep> planBelowAnswers(const BelowAnswers &below, bool speakSort,
                                         bool speakBureau, bool speakDxcc)
{
    std::vector<std::string> lines;
    if (!below.homeBureau.empty()) {
        // A home entity without a bureau has no pile to spell: saying so once is enough.
        const bool none = below.homeSort.empty();
        if (speakSort)
            lines.push_back(none ? std::string(HomeNoBureau)
                                 : spelled(HomeSortIntro, below.homeSort));
        if (speakBureau && !(none && speakSort)) {
            std::string expanded = expandForSpeech(below.homeBureau);
            dashesToCommas(expanded);
            lines.push_back(none ? std::string(HomeNoBureau) : joined(HomeBureauIntro, expanded));
        }
    }
    if (speakDxcc && !below.location.empty()) {
        // "maritime mobile, no DXCC entity": the letters one by one, as the entity line says them.
        lines.push_back(joined(LocationIntro,
                               replaceFirst("DXCC", "D X C C", expandForSpeech(below.location))));
    }
    std::vector<SpeechStep> plan;
    for (std::string &line : lines) {
        if (!plan.empty())
            plan.push_back(SpeechStep::pause(SpeechLinePauseMs));
        plan.push_back(SpeechStep::say(std::move(line)));
    }
    return plan;
}

std::string phoneticWord(char c)
{
    const char upper = Ascii::upper(c);
    if (Ascii::isUpper(upper))
        return std::string(PhoneticAlphabet[static_cast<std::size_t>(upper - 'A')]);
    return std::string(1, c);
}

std::string expandForSpeech(std::string_view name)
{
    // The added blanks let an abbreviation at the very start or end match as well.
    std::string text = joined(" ", name);
    text += ' ';
    for (const auto &[abbreviation, replacement] : Expansions)
        text = replaceFirst(abbreviation, replacement, text);
    return trimBlanks(text);
}

std::string replaceFirst(std::string_view abbreviation, std::string_view replacement,
                         std::string_view text)
{
    const std::size_t at = text.find(abbreviation);
    if (at == std::string_view::npos)
        return std::string(text);
    std::string result(text.substr(0, at));
    result += replacement;
    result += text.substr(at + abbreviation.size());
    return result;
}
