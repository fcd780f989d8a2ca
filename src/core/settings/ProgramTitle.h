#pragma once

#include "core/settings/Version.h"

#include <string>

// How the program names itself to the user, in one place for every window and message.

// "Vorn v3.02": the main window's caption, and the start of every other window's.
inline std::string programCaption()
{
    return std::string("Vorn v") + ProgramVersion;
}

// "Vorn V3.02 :": the first line of the start-up and update messages.
inline std::string messageHeading()
{
    return std::string("Vorn V") + ProgramVersion + " :";
}
