#pragma once

#include "core/text/ByteSource.h"
#include "core/text/FileReplacement.h"
#include "logbook/LogSorter.h"
#include "logbook/SortJob.h"

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
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

// Writes a log as ADIF text while it is read: the header and every field of every entry as read.
// An entry of the bureau piles whose card is still to go out (QslState::Waiting) gets QSL_SENT
// "Y", QSL_SENT_VIA "B" and QSLSDATE `date` (YYYYMMDD); no other entry is changed, whatever the
// piles hold. Entries are numbered among those of every log sorted, from `firstEntry` on.
class MarkedLogWriter final : public LogSink
{
public:
    MarkedLogWriter(const std::vector<bool> &inBureauPiles, std::size_t firstEntry,
                    std::string date);

    void header(LogFields fields) override;
    void record(LogFields fields) override;
    // The log has ended: a log without a header and entries still gets one.
    void finish();

    // The text written since it was last taken away.
    std::string &text() { return m_out; }
    std::size_t entries() const { return m_entries; }
    const MarkReport &report() const { return m_report; }

private:
    void begin(LogFields header);

    const std::vector<bool> &m_inBureauPiles;
    std::size_t m_firstEntry;
    std::string m_date;
    std::string m_out;
    std::size_t m_entries = 0;
    bool m_begun = false;
    MarkReport m_report;
};

// The marked copy of a log held in memory, as MarkedLogWriter writes it.
std::string markedAdif(std::string_view log, LogFormat format,
                       const std::vector<bool> &inBureauPiles, std::string_view date,
                       MarkReport &report);

// Writes the marked copy of one log that a SortJob read, a piece at a time, as the sorting does:
// the log is read once more from its file and each entry written as it is read, to a work file
// beside the target that takes the target's place when the whole log is written. A log that
// changed since it was sorted (its size, time, bytes or entries) is refused, and nothing is
// written: the entry numbers would name other QSOs.
class MarkJob
{
public:
    MarkJob(std::filesystem::path target, SortJob::LogReport log, std::vector<bool> inBureauPiles,
            std::string date);
    ~MarkJob();
    MarkJob(const MarkJob &) = delete;
    MarkJob &operator=(const MarkJob &) = delete;

    // Works for about `budget`; false once the log is written or the job failed.
    bool step(std::chrono::microseconds budget);
    void run();

    bool done() const { return m_stage == Stage::Done; }
    bool failed() const { return m_stage == Stage::Failed; }
    // Why it failed, naming the file.
    const std::string &error() const { return m_error; }
    const MarkReport &report() const { return m_writer.report(); }
    const std::filesystem::path &target() const { return m_target; }
    // From 0 to 1: the bytes of the log read again.
    double progress() const;

private:
    enum class Stage { Starting, Writing, Committing, Done, Failed };

    bool start();
    bool writeSome();
    bool fail(std::string why);
    bool failWriting(std::error_code error);
    std::string changed() const;

    std::filesystem::path m_target;
    SortJob::LogReport m_log;
    std::vector<bool> m_inBureauPiles;
    MarkedLogWriter m_writer;
    Stage m_stage = Stage::Starting;
    std::string m_error;
    FileSource m_input;
    std::unique_ptr<LogFormatReader> m_reader;
    std::unique_ptr<FileReplacement> m_output;
    std::future<std::error_code> m_commit; // on a thread of its own
    ByteDigest m_digest;
    std::string m_chunk;
};

// Runs a MarkJob to its end; false when it failed, with the error then saying why.
bool saveMarkedLog(const std::filesystem::path &target, const SortJob::LogReport &log,
                   const std::vector<bool> &inBureauPiles, std::string_view date,
                   MarkReport &report, std::string &error);

// Whether writing to `target` would write over the log `source`, by any name.
bool isSameFile(const std::filesystem::path &target, const std::filesystem::path &source);
