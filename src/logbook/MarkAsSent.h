#pragma once

#include "logbook/LogRecords.h"
#include "logbook/LogSorter.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The entries of the bureau piles: the counted QSOs on their cards. The piles set apart are left
// alone: their cards do not go to a bureau.
std::vector<bool> entriesInBureauPiles(const SortedLog &sorted, std::size_t entryCount);

// Where a QSO's card stands, by the QSO's own fields.
enum class QslState {
    Waiting,      // QSL_SENT Q, R or none: the card is still to go out
    SentAlready,  // QSL_SENT Y
    NotToBeSent,  // QSL_SENT N, I or anything else
    SentOtherWay, // QSL_SENT_VIA D, E or M: direct, electronically or to a manager
};
QslState qslState(LogFields fields);

// What "Mark as sent" did with each QSO of the log.
struct MarkReport
{
    std::size_t marked = 0;
    std::size_t sentAlready = 0;
    std::size_t notToBeSent = 0;
    std::size_t sentOtherWay = 0;
    std::size_t notInBureauPile = 0; // waiting, but set apart or not counted

    std::size_t left() const { return sentAlready + notToBeSent + sentOtherWay + notInBureauPile; }
};

// "marked 3 QSOs as sent via the bureau; left 5 as they were: 2 sent already, …".
std::string markReportText(const MarkReport &report);

// The log as ADIF text: the header and every field of every entry as read. An entry of the
// bureau piles whose card is still to go out (QslState::Waiting) gets QSL_SENT "Y",
// QSL_SENT_VIA "B" and QSLSDATE `date` (YYYYMMDD); no other entry is changed, whatever the
// piles hold.
std::string markedAdif(const LogRecords &records, const std::vector<bool> &inBureauPiles,
                       std::string_view date, MarkReport &report);

// Writes markedAdif() to `target` in one piece, never over the log it was read from. On
// failure the text says why, naming the file.
bool saveMarkedLog(const std::filesystem::path &target, const std::filesystem::path &source,
                   const LogRecords &records, const std::vector<bool> &inBureauPiles,
                   std::string_view date, MarkReport &report, std::string &error);

// Whether writing to `target` would write over the log `source`, by any name.
bool isSameFile(const std::filesystem::path &target, const std::filesystem::path &source);
