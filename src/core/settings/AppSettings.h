#pragma once

#include <cstdint>
#include <string>

enum class Background { WorldMap = 0, PlainBlue = 1, PlainWhite = 2 };
enum class UpdateMode { None = 0, Manual = 1, Auto = 2 };
enum class QslInfoMode { None = 0, Manual = 1, Auto = 2 };

// The user's choices that persist in vorn.set, with their defaults.
struct AppSettings
{
    Background background = Background::WorldMap;
    bool speakSort = false;
    bool speakBureau = false;
    bool speakDxcc = false;
    UpdateMode updateMode = UpdateMode::None;
    QslInfoMode qslInfoMode = QslInfoMode::None;
    std::int32_t dataVersion = 0; // version of the installed data files
    std::string ownCall;          // empty: anonymous queries

    bool speaksAnything() const { return speakSort || speakBureau || speakDxcc; }
    bool operator==(const AppSettings &) const = default;
};
