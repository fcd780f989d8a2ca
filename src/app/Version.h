#pragma once

// The program's version, in captions, message headings and the update check.
inline constexpr char ProgramVersion[] = "3.02";
inline constexpr int ProgramVersionNumber = 302;
