#pragma once

#include <string>
#include <string_view>

// The modal message boxes of the program, behind one seam: the program shows them with the
// toolkit, tests answer them and record their texts. Texts are single-byte, lines end in CR LF.
// A box may carry details that the user opens on request, such as a file's full path and the
// system's reason for a failure; they are UTF-8, as paths and system messages are here.
class MessageBoxes
{
public:
    enum class Kind { Error, Warning, Information };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~MessageBoxes() = default;

    // Shows a box and waits for the user; a Yes / No box closed any other way answers No.
    virtual Answer show(Kind kind, Buttons buttons, const std::string &text,
                        const std::string &details = {}) = 0;

    void inform(Kind kind, const std::string &text, const std::string &details = {})
    {
        show(kind, Buttons::Ok, text, details);
    }
    bool askYes(Kind kind, const std::string &text, const std::string &details = {})
    {
        return show(kind, Buttons::YesNo, text, details) == Answer::Yes;
    }
};

// "Vorn V3.02 :", CR LF, then the text: the form of the start-up and update messages.
std::string withHeading(std::string_view text);

// Passes boxes on until the program is ending; from then on every box is dismissed at once
// without being shown, and a question counts as No.
class MessageBoxGate final : public MessageBoxes
{
public:
    explicit MessageBoxGate(MessageBoxes &boxes) : m_boxes(boxes) {}

    Answer show(Kind kind, Buttons buttons, const std::string &text,
                const std::string &details = {}) override;

    void dismissFromNowOn() { m_dismissing = true; }

private:
    MessageBoxes &m_boxes;
    bool m_dismissing = false;
};
