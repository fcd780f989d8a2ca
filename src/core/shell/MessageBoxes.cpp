#include "core/shell/MessageBoxes.h"

#include "core/settings/Version.h"

std::string withHeading(std::string_view text)
{
    std::string message = "Vorn V";
    message += ProgramVersion;
    message += " :\r\n";
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
