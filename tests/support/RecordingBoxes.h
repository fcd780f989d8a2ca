#pragma once

// Message boxes for the core's tests: each box is recorded as "<kind>: <text>" or
// "<kind>? <text>" for a question, without the heading line, which it checks; its details are
// kept apart. Questions are answered from a list.

#include "core/shell/MessageBoxes.h"

#include <deque>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using Events = std::vector<std::string>;

// Records every box as "<kind>: <text>" without the heading, which it checks, and its details
// apart; answers questions from a list.
class RecordingBoxes final : public MessageBoxes
{
public:
    RecordingBoxes(Events &events, std::deque<Answer> answers)
        : m_events(events), m_answers(std::move(answers))
    {}

    std::vector<std::string> details;

    Answer show(Kind kind, Buttons buttons, const std::string &text,
                const std::string &boxDetails) override
    {
        details.push_back(boxDetails);
        const std::string heading = withHeading("");
        EXPECT_EQ(text.substr(0, heading.size()), heading) << text;
        const char *kindName = kind == Kind::Error     ? "error"
                               : kind == Kind::Warning ? "warning"
                                                       : "info";
        m_events.push_back(std::string(kindName) + (buttons == Buttons::YesNo ? "?" : ":") + " " +
                           text.substr(std::min(heading.size(), text.size())));
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        if (m_answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return Answer::No;
        }
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    std::size_t unansweredQuestions() const { return m_answers.size(); }

private:
    Events &m_events;
    std::deque<Answer> m_answers;
};
