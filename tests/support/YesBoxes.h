#pragma once

// Message boxes that say Yes to every question, for the tests of the update's services and
// windows. Of the core alone, so that the platform's tests may use them.

#include "core/shell/MessageBoxes.h"

#include <QString>
#include <QStringList>
#include <string>

// Says Yes to every question and keeps the texts without their heading.
class YesBoxes final : public MessageBoxes
{
public:
    QStringList texts;
    Answer show(Kind, Buttons buttons, const std::string &text, const std::string &) override
    {
        texts << QString::fromStdString(text.substr(withHeading("").size()));
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
};
