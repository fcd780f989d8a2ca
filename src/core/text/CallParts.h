#pragma once

#include <string>
#include <string_view>

// What a mark after a call says about where the station is.
enum class CallMark {
    None,
    Ordinary,     // /P, /M, /QRP, /LH and the like: he is where his call says
    Maritime,     // /MM: at sea, in no DXCC entity
    Aeronautical, // /AM: in the air, in no DXCC entity
};

// A call taken apart at its '/'s: "VK2/DL1ABC", "DL1ABC/VK2/P", "W1ABC/4", "K1ABC/MM". The
// parts are views into the text that was split.
struct CallParts
{
    std::string_view prefix; // a location written before the home call: VK2 of VK2/DL1ABC
    std::string_view home;   // the home call; empty when no part has a call's shape
    std::string_view suffix; // a location written after it: VK2 of DL1ABC/VK2, 4 of W1ABC/4
    std::string_view mark;   // P, MM, QRP, LH, ...: says nothing of the location but MM and AM
    CallMark markKind = CallMark::None;

    // The call holds more than its home call: a location, a mark or both.
    bool split() const { return !prefix.empty() || !suffix.empty() || !mark.empty(); }
};

// A prefix, a digit and letters, only letters and digits: DL1ABC, 2E0XYZ, 9A2AA, K1A, VP2E;
// not KH6, 3D2, LOTW or 2023.
bool hasCallShape(std::string_view word);

// Takes a call in capitals apart, as hams write them: the home call is the part with a call's
// shape (the longer one when two have it, the later one when they are equally long), a part
// before it is a location, a part after it is a mark when the table of marks, a single
// letter or a number of two or more digits says so, else a location (at most four
// characters; a single digit is a call area). A call without a home call is not taken apart.
CallParts splitCall(std::string_view call);

// What the location of a split call is looked up by: VK2 for VK2/DL1ABC and DL1ABC/VK2, W4ABC
// for W1ABC/4, 9M6 for 9M2/G3TMA/6 (a single digit after the call replaces the area digit of
// the location before it, or else of the home call). Empty when the call names no location.
std::string locationKey(const CallParts &parts);
