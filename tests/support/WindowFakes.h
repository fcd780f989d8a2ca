#pragma once

// Stand-ins for the platform seams of the main window. They write what happens into one shared
// list of events, so that a test can check the order across seams.

#include "core/shell/MessageBoxes.h"
#include "core/shell/UpdateOperations.h"
#include "core/speech/SpeechEngine.h"
#include "support/YesBoxes.h"
#include "ui/widgets/CoreText.h"

#include <QStringList>
#include <QTest>
#include <deque>
#include <functional>
#include <string>

using EventLog = QStringList;

// Records "<kind><? for a question, : otherwise> <text>", and each box's details apart; answers
// questions from a list.
class FakeMessageBoxes final : public MessageBoxes
{
public:
    explicit FakeMessageBoxes(EventLog &log) : m_log(log) {}

    std::deque<Answer> answers;
    QStringList details;
    // Runs while a box is "open", as the modal loop of a real box would.
    std::function<void()> whileOpen;

    Answer show(Kind kind, Buttons buttons, const std::string &text,
                const std::string &boxDetails) override
    {
        details << QString::fromStdString(boxDetails);
        const char *kindName = kind == Kind::Error     ? "error"
                               : kind == Kind::Warning ? "warning"
                                                       : "info";
        m_log << QString::fromLatin1(kindName) + (buttons == Buttons::YesNo ? "? " : ": ") +
                     fromSingleByte(text);
        if (whileOpen)
            whileOpen();
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        if (answers.empty()) {
            m_log << QStringLiteral("UNEXPECTED QUESTION");
            return Answer::No;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

private:
    EventLog &m_log;
};

class FakeSpeechEngine final : public SpeechEngine
{
public:
    explicit FakeSpeechEngine(EventLog &log) : m_log(log) {}

    bool works = true;

    bool speakText(const std::string &text, std::string &error) override
    {
        m_log << QStringLiteral("speak ") + fromSingleByte(text);
        if (works)
            return true;
        error = "no voice";
        return false;
    }

private:
    EventLog &m_log;
};

// Update operations that report and succeed as the test says; a successful download writes the
// file it fetched.
class ScriptedUpdates final : public UpdateOperations
{
public:
    explicit ScriptedUpdates(EventLog &log) : m_log(log) {}

    StartupUpdateResult check;
    std::function<bool()> downloadCountry = [] { return false; };
    std::function<bool()> downloadBureau = [] { return false; };

    StartupUpdateResult startupUpdateCheck(UpdateMode mode, std::int32_t dataVersion) override
    {
        m_log << QStringLiteral("check %1 %2").arg(static_cast<int>(mode)).arg(dataVersion);
        return check;
    }
    bool downloadCountryFile() override
    {
        m_log << QStringLiteral("download country");
        return downloadCountry();
    }
    bool downloadBureauFile() override
    {
        m_log << QStringLiteral("download bureau");
        return downloadBureau();
    }
    void updateMenuClick() override { m_log << QStringLiteral("update menu"); }

private:
    EventLog &m_log;
};
