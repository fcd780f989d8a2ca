#include "core/speech/VoiceOutput.h"

bool speakPlan(const std::vector<SpeechStep> &plan, SpeechEngine &engine, const SpeechSleep &sleep,
               std::string *reason)
{
    for (const SpeechStep &step : plan) {
        if (step.kind == SpeechStep::Kind::Pause) {
            sleep(step.milliseconds);
            continue;
        }
        std::string error;
        if (!engine.speakText(step.text, error)) {
            if (reason)
                *reason = error;
            return false;
        }
    }
    return true;
}

void switchVoiceOff(AppSettings &settings)
{
    settings.speakSort = false;
    settings.speakBureau = false;
    settings.speakDxcc = false;
}

bool speakResult(std::string_view sortText, std::string_view bureauText,
                 std::string_view entityText, AppSettings &settings, SpeechEngine &engine,
                 const SpeechSleep &sleep, std::string *reason, const BelowAnswers &below)
{
    std::vector<SpeechStep> plan = planSpeech(sortText, bureauText, entityText, settings.speakSort,
                                              settings.speakBureau, settings.speakDxcc);
    std::vector<SpeechStep> belowPlan =
        planBelowAnswers(below, settings.speakSort, settings.speakBureau, settings.speakDxcc);
    // One pause between the lines, even after a plan that already ends with one.
    if (!plan.empty() && !belowPlan.empty() && plan.back().kind != SpeechStep::Kind::Pause)
        plan.push_back(SpeechStep::pause(SpeechLinePauseMs));
    plan.insert(plan.end(), belowPlan.begin(), belowPlan.end());
    if (speakPlan(plan, engine, sleep, reason))
        return true;
    switchVoiceOff(settings);
    return false;
}
