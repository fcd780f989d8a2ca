#pragma once

#include "core/text/ByteSource.h"
#include "logbook/LogFingerprint.h"
#include "logbook/LogReader.h"
#include "logbook/LogSorter.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

// Reads logs and sorts their QSOs into piles a piece at a time. The window runs it in short
// steps on its own thread, between the events it handles, and shows the progress; vorn-sort
// runs it to the end at once. The tables are only read, and only inside step().
class SortJob
{
public:
    // What came of one log.
    struct LogReport
    {
        std::filesystem::path file;
        LogFormat format = LogFormat::Adif;
        std::size_t firstEntry = 0; // the number of its first entry among those of every log
        std::size_t entries = 0;
        std::size_t damaged = 0;
        std::string problem;        // a broken XML log: why the read stopped early
        LogFingerprint fingerprint; // of the bytes read, to tell later that the file is the same

        // Every record was read: none damaged, and the log did not break off.
        bool whole() const { return damaged == 0 && problem.empty(); }
    };

    SortJob(const CountryTable &countries, const BureauTable &bureaus);
    ~SortJob();
    SortJob(const SortJob &) = delete;
    SortJob &operator=(const SortJob &) = delete;

    // Queues a log; "-" is standard input. Before the first step only.
    void addLog(std::filesystem::path file);

    // Works for about `budget`; false once everything is done or a log could not be read.
    bool step(std::chrono::microseconds budget);
    void run();

    bool done() const { return m_stage == Stage::Done; }
    bool failed() const { return m_stage == Stage::Failed; }
    // Why the job failed, naming the file that could not be read.
    const std::string &error() const { return m_error; }
    // From 0 to 1: the bytes read, then the route calls looked up.
    double progress() const;

    const std::vector<LogReport> &reports() const { return m_reports; }
    // Every log was read whole.
    bool readWhole() const;
    // The piles, once done; the choice of QSOs can change without reading again.
    SortedLog result(QsoSelection selection) const;

private:
    enum class Stage { Reading, LookingUp, Done, Failed };

    bool readSome();
    bool openNextLog();
    void finishLog();
    void fail(std::error_code error);
    void fail(const std::string &why);

    const CountryTable &m_countries;
    const BureauTable &m_bureaus;
    std::vector<std::filesystem::path> m_files;
    std::size_t m_next = 0;
    Stage m_stage = Stage::Reading;
    std::string m_error;

    std::unique_ptr<ByteSource> m_input; // the log being read: a file, or standard input
    std::string m_chunk;
    std::string m_firstBytes; // held back until the form of the log can be told
    std::unique_ptr<LogFormatReader> m_reader;
    ByteDigest m_digest;
    std::size_t m_entriesBefore = 0;

    std::uintmax_t m_bytesTotal = 0;
    std::uintmax_t m_bytesRead = 0;

    LogSorter m_sorter;
    RouteAnswers m_answers;
    std::vector<LogReport> m_reports;
};
