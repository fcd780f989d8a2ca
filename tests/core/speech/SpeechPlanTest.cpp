#include "core/speech/SpeechPlan.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

void PrintTo(const SpeechStep &step, std::ostream *os)
{
    if (step.kind == SpeechStep::Kind::Pause)
        *os << "pause(" << step.milliseconds << ")";
    else
        *os << "say(\"" << step.text << "\")";
}

namespace {

// Test names from the rows' name field.
template<typename Case> std::string caseName(const testing::TestParamInfo<Case> &row)
{
    return row.param.name;
}

SpeechStep say(const char *text)
{
    return SpeechStep::say(text);
}

const SpeechStep Pause = SpeechStep::pause(1000);

const char *const BureauUnknown = "Q S L bureau , iss , unnowenn";
const char *const EntityUnknown = "D X C C or W Ey Ee , iss , unnowenn";
const char *const CallIncomplete = "call , iss , incomplete";
const char *const NoBureau = "There iss no Q S L bureau";
const char *const TwoCharsMissing = "call incomplete (at least 2 characters needed)";
const char *const AreaMissing = "call incomplete (call area missing)";

struct PlanCase
{
    const char *name;
    const char *sortText;
    const char *bureauText;
    const char *entityText;
    bool speakSort;
    bool speakBureau;
    bool speakDxcc;
    std::vector<SpeechStep> expected;
};

void PrintTo(const PlanCase &c, std::ostream *os)
{
    *os << c.name;
}

class PlanSpeechTest : public testing::TestWithParam<PlanCase>
{
};

TEST_P(PlanSpeechTest, SaysAndPausesInOrder)
{
    const PlanCase &c = GetParam();
    EXPECT_EQ(
        planSpeech(c.sortText, c.bureauText, c.entityText, c.speakSort, c.speakBureau, c.speakDxcc),
        c.expected);
}

// clang-format off
const PlanCase PlanCases[] = {
    // A normal result, line by line and all together.
    {"NormalAllOn", "DL", "DARC", "Fed. Rep. of Germany", true, true, true,
     {say("sort this Q S L card under , Delta , Liema , "), Pause,
      say("the Q S L bureau , iss , DARC"), Pause,
      say("D X C C or W Ey Ee , iss , federal republic of Germany")}},
    {"NormalSortOnly", "K4", "ARRL W4 - call area 4a", "United States", true, false, false,
     {say("sort this Q S L card under , Kielo , 4 , ")}},
    {"NormalBureauOnly", "DL", "DARC", "Fed. Rep. of Germany", false, true, false,
     {say("the Q S L bureau , iss , DARC")}},
    {"NormalDxccOnly", "DL", "DARC", "Fed. Rep. of Germany", false, false, true,
     {say("D X C C or W Ey Ee , iss , federal republic of Germany")}},
    {"NormalSortAndDxcc", "G", "RSGB", "England", true, false, true,
     {say("sort this Q S L card under , Ghollef , "), Pause,
      say("D X C C or W Ey Ee , iss , England")}},
    {"NormalBureauAndDxcc", "G", "RSGB", "England", false, true, true,
     {say("the Q S L bureau , iss , RSGB"), Pause, say("D X C C or W Ey Ee , iss , England")}},
    {"AllOff", "DL", "DARC", "Fed. Rep. of Germany", false, false, false, {}},

    // Outcome NotFound: the sort line already says the bureau is unknown.
    {"NotFoundAllOn", "unknown", "unknown", "unknown", true, true, true,
     {say(BureauUnknown), Pause, say(EntityUnknown)}},
    {"NotFoundSortOnly", "unknown", "unknown", "unknown", true, false, false,
     {say(BureauUnknown)}},
    {"NotFoundSortAndBureauEndsWithPause", "unknown", "unknown", "unknown", true, true, false,
     {say(BureauUnknown), Pause}},
    {"NotFoundSortAndDxcc", "unknown", "unknown", "unknown", true, false, true,
     {say(BureauUnknown), Pause, say(EntityUnknown)}},
    {"NotFoundBureauOnly", "unknown", "unknown", "unknown", false, true, false,
     {say(BureauUnknown)}},
    {"NotFoundBureauAndDxcc", "unknown", "unknown", "unknown", false, true, true,
     {say(BureauUnknown), Pause, say(EntityUnknown)}},
    {"NotFoundDxccOnly", "unknown", "unknown", "unknown", false, false, true,
     {say(EntityUnknown)}},

    // Outcome NoBureau: empty sort text, bureau "none". Every line that speaks of the bureau
    // says there is none; it is never called unknown.
    {"NoBureauAllOn", "", "none", "Annobon I.", true, true, true,
     {say(NoBureau), Pause, say("D X C C or W Ey Ee , iss , Annobon Island")}},
    {"NoBureauSortAndBureau", "", "none", "Annobon I.", true, true, false,
     {say(NoBureau), Pause}},
    {"NoBureauSortOnly", "", "none", "Annobon I.", true, false, false, {say(NoBureau)}},
    {"NoBureauSortOff", "", "none", "Annobon I.", false, true, false,
     {say(NoBureau)}},
    {"NoBureauSortOffDxccOn", "", "none", "Annobon I.", false, true, true,
     {say(NoBureau), Pause,
      say("D X C C or W Ey Ee , iss , Annobon Island")}},

    // Incomplete calls: empty bureau and entity texts.
    {"TwoCharactersNeededAllOn", TwoCharsMissing, "", "", true, true, true,
     {say(CallIncomplete), Pause, say(EntityUnknown)}},
    {"AreaMissingSortAndBureau", AreaMissing, "", "", true, true, false,
     {say(CallIncomplete), Pause}},
    {"AreaMissingSortOnly", AreaMissing, "", "", true, false, false, {say(CallIncomplete)}},
    {"IncompleteSortOffBureauOn", AreaMissing, "", "", false, true, false,
     {say(BureauUnknown)}},
    {"IncompleteSortOffBureauAndDxcc", TwoCharsMissing, "", "", false, true, true,
     {say(BureauUnknown), Pause, say(EntityUnknown)}},

    // Spelling: digits and '/' stand for themselves between the separators.
    {"SpellsDigitsAndSlash", "VP2E/9", "", "", true, false, false,
     {say("sort this Q S L card under , Victor , Papa , 2 , Echo , / , 9 , ")}},
    {"SpellsAreaNineZero", "VK9", "", "", true, false, false,
     {say("sort this Q S L card under , Victor , Kielo , 9 , ")}},
    {"UnknownIsComparedExactly", "UNKNOWN", "", "", true, false, false,
     {say("sort this Q S L card under , Uniform , November , Kielo , November , Oscar , "
          "Whiskey , November , ")}},

    // The bureau line: call-area dashes become commas, other dashes stay.
    {"CallAreaDashBecomesComma", "K4", "ARRL W4 - call area 4a", "United States", false, true,
     false, {say("the Q S L bureau , iss , ARRL W4 , call area 4a")}},
    {"AreaNineZeroDash", "VK9", "WIA - call area 9/0", "Australia", false, true, false,
     {say("the Q S L bureau , iss , WIA , call area 9/0")}},
    {"Kg4UsaDash", "KA4", "USA - call area 4b", "USA", false, true, false,
     {say("the Q S L bureau , iss , USA , call area 4b")}},
    {"EveryBlankDashBlank", "", "A - B - C", "", false, true, false,
     {say("the Q S L bureau , iss , A , B , C")}},
    {"DashInsideWordStays", "", "URE-EA8", "", false, true, false,
     {say("the Q S L bureau , iss , URE-EA8")}},
    {"DashBlankOnOneSideStays", "", "A -B C- D", "", false, true, false,
     {say("the Q S L bureau , iss , A -B C- D")}},
    {"LoneDashStays", "", "-", "", false, true, false, {say("the Q S L bureau , iss , -")}},
    {"NonIaruPassesUnchanged", "4O", "MARP (non IARU)", "Montenegro", false, true, false,
     {say("the Q S L bureau , iss , MARP (non IARU)")}},
    {"NoneIsComparedExactly", "", "None", "", false, true, false,
     {say("the Q S L bureau , iss , None")}},
    {"BureauIsExpanded", "", "ITU HQ", "", false, true, false,
     {say("the Q S L bureau , iss , ITU headquarters")}},

    // The entity line.
    {"EntityExpandedAtEnd", "CY0", "RAC", "Sable Is.", false, false, true,
     {say("D X C C or W Ey Ee , iss , Sable Island")}},
    {"EntityRepeatedAbbreviation", "VK0", "WIA", "Heard Is. & McDonald Is.", false, false, true,
     {say("D X C C or W Ey Ee , iss , Heard Island & McDonald Is.")}},
    {"EntityEmpty", "", "", "", false, false, true, {say(EntityUnknown)}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Results, PlanSpeechTest, testing::ValuesIn(PlanCases), caseName<PlanCase>);

struct BelowCase
{
    const char *name;
    BelowAnswers below;
    bool speakSort;
    bool speakBureau;
    bool speakDxcc;
    std::vector<SpeechStep> expected;
};

void PrintTo(const BelowCase &c, std::ostream *os)
{
    *os << c.name;
}

class PlanBelowAnswersTest : public testing::TestWithParam<BelowCase>
{
};

// The line below the answers follows the settings of the lines it stands for: the home call's
// pile is spelled with the sort line, so that a card goes to the pile the Sort log puts it in.
TEST_P(PlanBelowAnswersTest, SpeaksWhatTheLineShows)
{
    const BelowCase &c = GetParam();
    EXPECT_EQ(planBelowAnswers(c.below, c.speakSort, c.speakBureau, c.speakDxcc), c.expected);
}

const char *const HomeDl = "home call , sort under , Delta , Liema , ";
const char *const AtSea = "operating from , maritime mobile, no D X C C entity";

// clang-format off
const BelowCase BelowCases[] = {
    {"HomePileAllOn", {"DL", "DARC QSL bureau", ""}, true, true, true,
     {say(HomeDl), Pause, say("home call , the Q S L bureau , iss , DARC QSL bureau")}},
    {"HomePileSortOnly", {"DL", "DARC QSL bureau", ""}, true, false, false, {say(HomeDl)}},
    {"HomeCallArea", {"K4", "ARRL QSL bureau - call area 4a", ""}, false, true, false,
     {say("home call , the Q S L bureau , iss , ARRL QSL bureau , call area 4a")}},
    {"HomeWithoutBureauSaidOnce", {"", "none", ""}, true, true, false,
     {say("home call , There iss no Q S L bureau")}},
    {"HomeWithoutBureauBureauOnly", {"", "none", ""}, false, true, false,
     {say("home call , There iss no Q S L bureau")}},
    {"Location", {"", "", "Australia"}, true, true, true, {say("operating from , Australia")}},
    {"LocationDxccOff", {"", "", "Australia"}, true, true, false, {}},
    {"AtSea", {"", "", "maritime mobile, no DXCC entity"}, false, false, true, {say(AtSea)}},
    {"Both", {"G", "RSGB", "Fed. Rep. of Germany"}, true, false, true,
     {say("home call , sort under , Ghollef , "), Pause,
      say("operating from , federal republic of Germany")}},
    {"NothingShown", {"", "", ""}, true, true, true, {}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Lines, PlanBelowAnswersTest, testing::ValuesIn(BelowCases),
                         caseName<BelowCase>);

struct PhoneticCase
{
    char character;
    const char *word;
};

void PrintTo(const PhoneticCase &c, std::ostream *os)
{
    *os << "'" << c.character << "'";
}

class PhoneticWordTest : public testing::TestWithParam<PhoneticCase>
{
};

TEST_P(PhoneticWordTest, GivesTheWordOrTheCharacter)
{
    EXPECT_EQ(phoneticWord(GetParam().character), GetParam().word);
}

// clang-format off
const PhoneticCase PhoneticCases[] = {
    {'A', "Alfa"}, {'B', "Bravo"}, {'C', "Charlie"}, {'D', "Delta"}, {'E', "Echo"},
    {'F', "Foxtrot"}, {'G', "Ghollef"}, {'H', "Hotel"}, {'I', "India"}, {'J', "Juliette"},
    {'K', "Kielo"}, {'L', "Liema"}, {'M', "Mike"}, {'N', "November"}, {'O', "Oscar"},
    {'P', "Papa"}, {'Q', "Qubeck"}, {'R', "Romeo"}, {'S', "Sierra"}, {'T', "Tango"},
    {'U', "Uniform"}, {'V', "Victor"}, {'W', "Whiskey"}, {'X', "Xray"}, {'Y', "Yankee"},
    {'Z', "Zulu"},
    // Lower case is spelled like upper case.
    {'a', "Alfa"}, {'g', "Ghollef"}, {'k', "Kielo"}, {'q', "Qubeck"}, {'z', "Zulu"},
    // Anything else goes to the engine as it is.
    {'0', "0"}, {'4', "4"}, {'9', "9"}, {'/', "/"}, {' ', " "}, {'-', "-"}, {'@', "@"},
    {'[', "["}, {'`', "`"}, {'{', "{"},
};
// clang-format on

std::string characterName(const testing::TestParamInfo<PhoneticCase> &row)
{
    const char c = row.param.character;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return std::string(1, c);
    return "Code" + std::to_string(static_cast<int>(c));
}

INSTANTIATE_TEST_SUITE_P(Alphabet, PhoneticWordTest, testing::ValuesIn(PhoneticCases),
                         characterName);

struct ExpandCase
{
    const char *name;
    const char *input;
    const char *expected;
};

void PrintTo(const ExpandCase &c, std::ostream *os)
{
    *os << '"' << c.input << '"';
}

class ExpandForSpeechTest : public testing::TestWithParam<ExpandCase>
{
};

TEST_P(ExpandForSpeechTest, WritesAbbreviationsOut)
{
    EXPECT_EQ(expandForSpeech(GetParam().input), GetParam().expected);
}

// clang-format off
const ExpandCase ExpandCases[] = {
    // Each of the eleven expansions.
    {"IslandDot", "Sable Is.", "Sable Island"},
    {"IDot", "St. Paul I.", "St. Paul Island"},
    {"Headquarters", "ITU HQ", "ITU headquarters"},
    {"NewYork", "UN NY", "UN New York"},
    {"Austria", "OE HQ", "Austria headquarters"},
    {"Federal", "Fed. Rep. of Germany", "federal republic of Germany"},
    {"Republic", "Central African Rep.", "Central African republic"},
    {"Province", "Prov. of Quebec", "province of Quebec"},
    {"Europe", "Turkey (Europe)", "Turkey Europe"},
    {"Sovereign", "Sov Order", "sovereign Order"},
    {"Military", "Sov Mil Order of Malta", "sovereign military Order of Malta"},
    // Where abbreviations are found.
    {"AtStart", "Is. of Man", "Island of Man"},
    {"AloneWholeName", "HQ", "headquarters"},
    {"OnlyFirstOccurrence", "Heard Is. & McDonald Is.", "Heard Island & McDonald Is."},
    {"TwoStepsInOneName", "UN HQ NY", "UN headquarters New York"},
    {"NotInsideAWord", "Iceland", "Iceland"},
    {"NeedsBlankAfter", "Sable Is.X", "Sable Is.X"},
    {"CaseSensitive", "sable is.", "sable is."},
    {"NonIaruUnchanged", "DARC (non IARU)", "DARC (non IARU)"},
    {"CallAreaUnchanged", "ARRL W4 - call area 4a", "ARRL W4 - call area 4a"},
    {"OuterBlanksTrimmed", "  Sable Is.  ", "Sable Island"},
    {"Empty", "", ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Names, ExpandForSpeechTest, testing::ValuesIn(ExpandCases),
                         caseName<ExpandCase>);

struct ReplaceCase
{
    const char *name;
    const char *abbreviation;
    const char *replacement;
    const char *text;
    const char *expected;
};

void PrintTo(const ReplaceCase &c, std::ostream *os)
{
    *os << '"' << c.text << '"';
}

class ReplaceFirstTest : public testing::TestWithParam<ReplaceCase>
{
};

TEST_P(ReplaceFirstTest, ReplacesOnlyTheFirstOccurrence)
{
    const ReplaceCase &c = GetParam();
    EXPECT_EQ(replaceFirst(c.abbreviation, c.replacement, c.text), c.expected);
}

// clang-format off
const ReplaceCase ReplaceCases[] = {
    {"Middle", "ab", "X", "cabd", "cXd"},
    {"AtStart", "ab", "X", "abcd", "Xcd"},
    {"AtEnd", "ab", "X", "cdab", "cdX"},
    {"FirstOfTwo", "ab", "X", "abab", "Xab"},
    {"LongerReplacement", " I. ", " Island ", " St. Paul I. ", " St. Paul Island "},
    {"EmptyReplacement", "ab", "", "cabd", "cd"},
    {"NoOccurrence", "ab", "X", "cbad", "cbad"},
    {"CaseSensitive", "ab", "X", "cABd", "cABd"},
    {"LongerThanText", "abc", "X", "ab", "ab"},
    {"EmptyText", "ab", "X", "", ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Texts, ReplaceFirstTest, testing::ValuesIn(ReplaceCases),
                         caseName<ReplaceCase>);

} // namespace
