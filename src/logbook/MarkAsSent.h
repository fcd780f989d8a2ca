#pragma once

#include "logbook/LogRecords.h"
#include "logbook/LogSorter.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The entries that "Mark as sent" changes: the counted QSOs on the cards of the bureau piles.
// The piles set apart are left alone: their cards do not go to a bureau.
std::vector<bool> entriesInBureauPiles(const SortedLog &sorted, std::size_t entryCount);

// The log as ADIF text: the header and every field of every entry as read, with QSL_SENT "Y",
// QSL_SENT_VIA "B" and QSLSDATE `date` (YYYYMMDD) in each marked entry.
std::string markedAdif(const LogRecords &records, const std::vector<bool> &marked,
                       std::string_view date);

// Writes markedAdif() to `target` in one piece, never over the log it was read from. On
// failure the text says why, naming the file.
bool saveMarkedLog(const std::filesystem::path &target, const std::filesystem::path &source,
                   const LogRecords &records, const std::vector<bool> &marked,
                   std::string_view date, std::string &error);

// Writes text to a file in one piece: the old file stays whole if anything fails, and the
// error then says why, naming the file.
bool saveTextFile(const std::filesystem::path &target, std::string_view text, std::string &error);
