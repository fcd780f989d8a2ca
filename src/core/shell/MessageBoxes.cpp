#include "core/shell/MessageBoxes.h"

#include "core/settings/ProgramTitle.h"

std::string withHeading(std::string_view text)
{
    std::string message = messageHeading();
    message += "\r\n";
    message += text;
    return message;
}

MessageBoxes::Answer MessageBoxGate::show(Kind kind, Buttons buttons, const std::string &text,
                                          const std::string &details)
{
    if (m_dismissing)
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    return m_boxes.show(kind, buttons, text, details);
}
