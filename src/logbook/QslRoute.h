#pragma once

#include <string>
#include <string_view>

// The manager's call in a QSL_VIA field, as the call field would hold it; empty when the field
// names no call. Hams write notes there as well ("via DL1ABC", "mgr: EA5XYZ", "DIRECT only",
// "buro", "LoTW"): words without a call sign's shape are passed over, and the first word that
// has one (letters and digits, ending in a digit and letters, as DL1ABC, 2E0XYZ or 9A2AA) is
// the manager, unless a call follows "via" ("DL1ABC via W3HNK"). A call with a portable part
// ("KH6/K1ABC") gives its home call.
std::string managerCall(std::string_view qslVia);

// What a QSL_VIA field asks for.
enum class QslViaKind {
    None,    // empty: the card goes to the station
    Manager, // a call: the card goes to the manager's bureau ("W3HNK", "W3HNK or buro")
    Bureau,  // "buro", "via bureau": the station itself, through the bureau
    // "direct", "OQRS", "LoTW", "eQSL", "no buro": some other way; with a manager when the
    // field names one beside "direct" or "no buro" ("via W3HNK direct", "M0OXO no bureau").
    NotViaBureau,
    Unrecognised, // words Vorn does not know: read as None, and listed for the user
};

struct QslVia
{
    QslViaKind kind = QslViaKind::None;
    std::string manager; // for Manager, and NotViaBureau when a call is named
};

QslVia readQslVia(std::string_view qslVia);
