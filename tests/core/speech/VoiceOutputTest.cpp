#include "core/speech/VoiceOutput.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Writes every utterance and every pause into one log, so that their order can be checked, and
// fails the utterance with the given index (counted from 0) when told to.
class RecordingEngine : public SpeechEngine
{
public:
    explicit RecordingEngine(std::vector<std::string> &log, int failAt = -1)
        : m_log(log), m_failAt(failAt)
    {}

    bool speakText(const std::string &text, std::string &error) override
    {
        m_log.push_back("say:" + text);
        if (m_calls++ == m_failAt) {
            error = "no speech service";
            return false;
        }
        return true;
    }

    int calls() const { return m_calls; }

private:
    std::vector<std::string> &m_log;
    int m_failAt;
    int m_calls = 0;
};

SpeechSleep recordingSleep(std::vector<std::string> &log)
{
    return [&log](int milliseconds) { log.push_back("pause:" + std::to_string(milliseconds)); };
}

std::vector<SpeechStep> threeLinePlan()
{
    return planSpeech("DL", "DARC", "Fed. Rep. of Germany", true, true, true);
}

const std::vector<std::string> ThreeLineLog = {
    "say:sort this Q S L card under , Delta , Liema , ",
    "pause:1000",
    "say:the Q S L bureau , iss , DARC",
    "pause:1000",
    "say:D X C C or W Ey Ee , iss , federal republic of Germany",
};

TEST(SpeakPlanTest, SaysAndPausesInPlanOrder)
{
    std::vector<std::string> log;
    RecordingEngine engine(log);
    std::string reason = "untouched";

    EXPECT_TRUE(speakPlan(threeLinePlan(), engine, recordingSleep(log), &reason));
    EXPECT_EQ(log, ThreeLineLog);
    EXPECT_EQ(reason, "untouched");
}

TEST(SpeakPlanTest, EmptyPlanSpeaksAndWaitsForNothing)
{
    std::vector<std::string> log;
    RecordingEngine engine(log);

    EXPECT_TRUE(speakPlan({}, engine, recordingSleep(log)));
    EXPECT_TRUE(log.empty());
}

TEST(SpeakPlanTest, PassesTheDurationOfEachPause)
{
    std::vector<std::string> log;
    RecordingEngine engine(log);
    const std::vector<SpeechStep> plan = {SpeechStep::pause(250), SpeechStep::say("x"),
                                          SpeechStep::pause(0)};

    EXPECT_TRUE(speakPlan(plan, engine, recordingSleep(log)));
    EXPECT_EQ(log, (std::vector<std::string>{"pause:250", "say:x", "pause:0"}));
}

struct StopCase
{
    int failAt;
    std::size_t logLength; // the log up to and including the failed utterance
};

void PrintTo(const StopCase &c, std::ostream *os)
{
    *os << "utterance " << c.failAt << " fails";
}

class SpeakPlanStopTest : public testing::TestWithParam<StopCase>
{
};

TEST_P(SpeakPlanStopTest, StopsAtTheFirstFailure)
{
    std::vector<std::string> log;
    RecordingEngine engine(log, GetParam().failAt);
    std::string reason;

    EXPECT_FALSE(speakPlan(threeLinePlan(), engine, recordingSleep(log), &reason));
    const std::vector<std::string> expected(
        ThreeLineLog.begin(), ThreeLineLog.begin() + static_cast<long>(GetParam().logLength));
    EXPECT_EQ(log, expected);
    EXPECT_EQ(engine.calls(), GetParam().failAt + 1);
    EXPECT_EQ(reason, "no speech service");
}

INSTANTIATE_TEST_SUITE_P(Utterances, SpeakPlanStopTest,
                         testing::Values(StopCase{0, 1}, StopCase{1, 3}, StopCase{2, 5}),
                         [](const testing::TestParamInfo<StopCase> &row) {
                             return "FailAt" + std::to_string(row.param.failAt);
                         });

TEST(SpeakResultTest, FailureSwitchesVoiceOffAndTheNextResultSpeaksNothing)
{
    std::vector<std::string> log;
    RecordingEngine engine(log, 0);
    AppSettings settings;
    settings.speakSort = settings.speakBureau = settings.speakDxcc = true;
    settings.ownCall = "DL1ABC";
    settings.dataVersion = 42;
    AppSettings expected = settings;
    expected.speakSort = expected.speakBureau = expected.speakDxcc = false;
    std::string reason;

    EXPECT_FALSE(speakResult("DL", "DARC", "Fed. Rep. of Germany", settings, engine,
                             recordingSleep(log), &reason));
    EXPECT_EQ(settings, expected);
    EXPECT_EQ(reason, "no speech service");
    EXPECT_EQ(log.size(), 1u);
    EXPECT_STREQ(SpeakNotSupportedText, "Speak not supported");

    EXPECT_TRUE(
        speakResult("DL", "DARC", "Fed. Rep. of Germany", settings, engine, recordingSleep(log)));
    EXPECT_EQ(engine.calls(), 1);
    EXPECT_EQ(log.size(), 1u);
}

TEST(SpeakResultTest, SuccessKeepsTheSettingsAndSpeaksTheEnabledLines)
{
    std::vector<std::string> log;
    RecordingEngine engine(log);
    AppSettings settings;
    settings.speakBureau = true;
    settings.speakDxcc = true;
    const AppSettings before = settings;

    EXPECT_TRUE(speakResult("", "none", "Annobon I.", settings, engine, recordingSleep(log)));
    EXPECT_EQ(settings, before);
    EXPECT_EQ(log, (std::vector<std::string>{"say:There iss no Q S L bureau", "pause:1000",
                                             "say:D X C C or W Ey Ee , iss , Annobon Island"}));
}

TEST(SpeakResultTest, FailureAfterSpokenLinesDoesNotRepeatThem)
{
    std::vector<std::string> log;
    RecordingEngine engine(log, 1);
    AppSettings settings;
    settings.speakSort = settings.speakBureau = settings.speakDxcc = true;

    EXPECT_FALSE(speakResult("K4", "ARRL W4 - call area 4a", "United States", settings, engine,
                             recordingSleep(log)));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "say:sort this Q S L card under , Kielo , 4 , ", "pause:1000",
                       "say:the Q S L bureau , iss , ARRL W4 , call area 4a"}));
    EXPECT_FALSE(settings.speaksAnything());
}

// The line below the answers comes after them, one pause apart, even where the plan of the
// three lines ends with its own pause.
TEST(SpeakResultTest, SpeaksTheLineBelowTheAnswersLast)
{
    std::vector<std::string> log;
    RecordingEngine engine(log);
    AppSettings settings;
    settings.speakSort = true;
    settings.speakBureau = true;
    settings.speakDxcc = false;
    EXPECT_TRUE(speakResult("VK2", "WIA - call area 2", "Australia", settings, engine,
                            recordingSleep(log), nullptr, {"DL", "DARC", "Fed. Rep. of Germany"}));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "say:sort this Q S L card under , Victor , Kielo , 2 , ", "pause:1000",
                       "say:the Q S L bureau , iss , WIA , call area 2", "pause:1000",
                       "say:home call , sort under , Delta , Liema , ", "pause:1000",
                       "say:home call , the Q S L bureau , iss , DARC"}));
    log.clear();
    EXPECT_TRUE(speakResult("unknown", "unknown", "unknown", settings, engine, recordingSleep(log),
                            nullptr, {"DL", "DARC", ""}));
    EXPECT_EQ(log, (std::vector<std::string>{"say:Q S L bureau , iss , unnowenn", "pause:1000",
                                             "say:home call , sort under , Delta , Liema , ",
                                             "pause:1000",
                                             "say:home call , the Q S L bureau , iss , DARC"}));
}

} // namespace
