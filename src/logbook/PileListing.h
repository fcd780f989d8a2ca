#pragma once

#include "logbook/LogSorter.h"

#include <ostream>
#include <string>
#include <string_view>

// One field of CSV text (RFC 4180): quoted when it holds a comma, a quote or a line end, with
// each quote doubled. Text that begins with =, +, -, @, a tab or a CR is quoted behind an
// apostrophe, so that a spreadsheet shows it instead of running it as a formula.
std::string csvField(std::string_view text);

// One row per card in pile order, under the header sort_prefix,bureau,entity,call,via,qsos;
// the sort prefix and bureau are the look-up's answers for the card's route call, the entity
// the worked station's. The via column names the manager, or "home call DL1ABC" for a card that
// goes by a portable or guest call's home call. A card that goes no bureau's way (a QSL_VIA of
// "direct", say) has an empty sort prefix, the bureau "not via the bureau" and the note as its
// via. Lines end in CR LF.
void writeCardsCsv(std::ostream &out, const SortedLog &sorted);

// One row per counted QSO in pile and card order, under the header
// pile,sort_prefix,bureau,entity,call,via,route,qso_date,time_on,band,mode,rst_sent: the card's
// pile and answers, its worked call, manager (or "home call DL1ABC") and the call it is routed
// by, then the QSO as the log holds it. Lines end in CR LF.
void writeQsosCsv(std::ostream &out, const SortedLog &sorted);

// The piles as the window lists them: a line per pile with its bureau, entities and counts,
// a line per card, the set-apart piles under headings, and the totals.
void writePileListing(std::ostream &out, const SortedLog &sorted);

// "1 card" or "2 cards": a count and its noun.
std::string counted(std::size_t count, std::string_view noun);

// The counts of the whole log in one sentence, as the window's status line shows them.
std::string totalsText(const SortedLog &sorted);

// Why the card goes where it goes, when not simply by its call: "via DL5XYZ" (a manager),
// "home call DL1ABC" (a portable or guest call), or the QSL_VIA note of a card that does not
// go via the bureau.
std::string routeNote(const QslCard &card);

// The QSL_VIA notes that were not understood, for the status line; empty when there are none.
std::string unreadNotesText(const SortedLog &sorted);

// "2024-01-15 1234 20m SSB 59": one QSO on one line.
std::string qsoLine(const QsoView &qso);

// What the card shows beside its call and counts: the entity where the pile mixes entities or
// has no bureau, the look-up's message for an unknown or incomplete call; empty otherwise.
std::string cardDetail(const CardPile &pile, const QslCard &card);
