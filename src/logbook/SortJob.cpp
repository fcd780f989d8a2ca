#include "logbook/SortJob.h"

#include "core/text/ByteSource.h"

#include <algorithm>
#include <unistd.h>

namespace {

constexpr std::size_t ChunkSize = 64 * 1024;
// Enough of a log to tell its form.
constexpr std::size_t SniffSize = 4096;
constexpr std::size_t LookUpsBetweenClockReads = 256;
// The share of the progress bar that reading takes; looking up takes the rest.
constexpr double ReadingShare = 0.8;
// ADIF takes at least this many bytes for a QSO that a logger exports; room for the QSOs of a
// log is made from its size at once, up to a bound.
constexpr std::uintmax_t BytesPerQso = 120;
constexpr std::uintmax_t MostQsosReserved = 1'000'000;

} // namespace

SortJob::SortJob(const CountryTable &countries, const BureauTable &bureaus)
    : m_countries(countries), m_bureaus(bureaus)
{}

SortJob::~SortJob() = default;

void SortJob::addLog(std::filesystem::path file)
{
    std::error_code noSize;
    const std::uintmax_t size = file == "-" ? 0 : std::filesystem::file_size(file, noSize);
    if (!noSize)
        m_bytesTotal += size;
    m_files.push_back(std::move(file));
}

void SortJob::run()
{
    while (step(std::chrono::seconds(1))) {
    }
}

bool SortJob::step(std::chrono::microseconds budget)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + budget;
    while (m_stage == Stage::Reading) {
        if (!readSome())
            return false;
        if (Clock::now() >= deadline)
            return true;
    }
    if (m_stage == Stage::LookingUp) {
        const auto &routes = m_sorter.routeCalls();
        m_answers.reserve(routes.size());
        while (m_answers.size() < routes.size()) {
            const std::size_t end =
                std::min(routes.size(), m_answers.size() + LookUpsBetweenClockReads);
            for (std::size_t i = m_answers.size(); i < end; ++i)
                m_answers.add(
                    lookUpRouteCall(routes[static_cast<std::uint32_t>(i)], m_countries, m_bureaus));
            if (Clock::now() >= deadline)
                return true;
        }
        m_stage = Stage::Done;
    }
    return false;
}

bool SortJob::readSome()
{
    if (!m_input && !openNextLog())
        return m_stage == Stage::LookingUp;
    m_chunk.resize(ChunkSize);
    const std::ptrdiff_t n = m_input->read(m_chunk.data(), m_chunk.size());
    if (n < 0) {
        fail(m_input->error());
        return false;
    }
    const std::string_view bytes(m_chunk.data(), static_cast<std::size_t>(n));
    m_bytesRead += bytes.size();
    m_digest.feed(bytes);
    if (!m_reader) {
        m_firstBytes.append(bytes);
        if (n > 0 && m_firstBytes.size() < SniffSize)
            return true;
        const LogFormat format = detectLogFormat(m_firstBytes);
        if (format == LogFormat::NotALog) {
            fail(std::string(whyNotALog(m_firstBytes)));
            return false;
        }
        m_reports.back().format = format;
        m_reader = makeLogReader(format, m_sorter);
        m_reader->feed(m_firstBytes);
        m_firstBytes.clear();
    } else if (n > 0) {
        m_reader->feed(bytes);
    }
    if (n == 0)
        m_reader->finish();
    // XML that turns out not to be ADX, or an encoding that is not read.
    if (!m_reader->refusal().empty()) {
        fail(m_reader->refusal());
        return false;
    }
    if (n == 0)
        finishLog();
    return true;
}

bool SortJob::openNextLog()
{
    if (m_next == m_files.size()) {
        m_stage = Stage::LookingUp;
        return false;
    }
    if (m_next == 0)
        m_sorter.reserve(
            static_cast<std::size_t>(std::min(m_bytesTotal / BytesPerQso, MostQsosReserved)));
    const std::filesystem::path &file = m_files[m_next++];
    m_reports.push_back({file, LogFormat::Adif, m_sorter.entries(), 0, 0, {}, {}});
    m_digest = ByteDigest();
    if (file == "-") {
        m_input = std::make_unique<DescriptorSource>(STDIN_FILENO);
    } else {
        m_reports.back().fingerprint = fileStamp(file);
        // Pipes are welcome (vorn-sort <(export-the-log)); a directory is refused at once.
        auto log = std::make_unique<FileSource>();
        const bool opened = log->open(file, FileSource::Kinds::AllButDirectories);
        m_input = std::move(log);
        if (!opened) {
            fail(m_input->error());
            return false;
        }
    }
    m_sorter.beginLog();
    m_entriesBefore = m_sorter.entries();
    return true;
}

void SortJob::finishLog()
{
    LogReport &report = m_reports.back();
    report.entries = m_sorter.entries() - m_entriesBefore;
    report.damaged = m_reader->damagedRecords();
    report.problem = m_reader->error();
    report.fingerprint.bytesRead = m_digest.bytes();
    report.fingerprint.digest = m_digest.value();
    m_reader.reset();
    m_input.reset();
}

void SortJob::fail(std::error_code error)
{
    m_stage = Stage::Failed;
    const std::filesystem::path &file = m_reports.back().file;
    m_error = "cannot read " + (file == "-" ? std::string("standard input") : file.string()) +
              ": " + error.message();
    m_input.reset();
    m_reader.reset();
}

void SortJob::fail(const std::string &why)
{
    m_stage = Stage::Failed;
    const std::filesystem::path &file = m_reports.back().file;
    m_error = "cannot sort " + (file == "-" ? std::string("standard input") : file.string()) +
              ": " + why + " (Vorn sorts ADIF, ADX and lists of calls)";
    m_input.reset();
    m_reader.reset();
}

bool SortJob::readWhole() const
{
    return std::all_of(m_reports.begin(), m_reports.end(),
                       [](const LogReport &report) { return report.whole(); });
}

double SortJob::progress() const
{
    if (m_stage == Stage::Done)
        return 1.0;
    const double reading =
        m_bytesTotal == 0
            ? 0.0
            : std::min(1.0, static_cast<double>(m_bytesRead) / static_cast<double>(m_bytesTotal));
    if (m_stage != Stage::LookingUp)
        return ReadingShare * reading;
    const std::size_t routes = m_sorter.routeCalls().size();
    const double lookingUp =
        routes == 0 ? 1.0 : static_cast<double>(m_answers.size()) / static_cast<double>(routes);
    return ReadingShare + (1.0 - ReadingShare) * lookingUp;
}

SortedLog SortJob::result(QsoSelection selection) const
{
    SortedLog sorted = m_sorter.piles(m_answers, selection);
    for (const LogReport &report : m_reports)
        sorted.damaged += report.damaged;
    return sorted;
}
