#include "logbook/MarkAsSent.h"

#include "core/text/FileReplacement.h"
#include "logbook/PileListing.h"

#include <algorithm>
#include <array>

namespace {

void appendField(std::string &out, std::string_view name, std::string_view value)
{
    out += '<';
    out += name;
    out += ':';
    out += std::to_string(value.size());
    out += '>';
    out += value;
    out += ' ';
}

} // namespace

std::vector<bool> entriesInBureauPiles(const SortedLog &sorted, std::size_t entryCount)
{
    std::vector<bool> marked(entryCount, false);
    for (const CardPile &pile : sorted.piles) {
        if (pile.setApart())
            continue;
        for (const QslCard &card : pile.cards) {
            for (const std::uint32_t entry : card.qsos) {
                if (entry < entryCount)
                    marked[entry] = true;
            }
        }
    }
    return marked;
}

QslState qslState(LogFields fields)
{
    const char via = firstLetter(fieldValue(fields, LogField::QslSentVia));
    if (via == 'D' || via == 'E' || via == 'M')
        return QslState::SentOtherWay;
    switch (firstLetter(fieldValue(fields, LogField::QslSent))) {
    case 'Q':
    case 'R':
    case ' ':
        return QslState::Waiting;
    case 'Y':
        return QslState::SentAlready;
    default:
        return QslState::NotToBeSent;
    }
}

std::string markReportText(const MarkReport &report)
{
    std::string text = "marked " + counted(report.marked, "QSO") + " as sent via the bureau";
    if (report.left() == 0)
        return text;
    text += "; left " + std::to_string(report.left()) + " as they were:";
    const std::pair<std::size_t, const char *> reasons[] = {
        {report.sentAlready, "sent already"},
        {report.notToBeSent, "not to be sent (QSL_SENT N or I)"},
        {report.sentOtherWay, "sent direct, electronically or via a manager"},
        {report.notInBureauPile, "not in a bureau pile"},
    };
    const char *separator = " ";
    for (const auto &[count, reason] : reasons) {
        if (count == 0)
            continue;
        text += separator + std::to_string(count) + ' ' + reason;
        separator = ", ";
    }
    return text;
}

MarkedLogWriter::MarkedLogWriter(const std::vector<bool> &inBureauPiles, std::size_t firstEntry,
                                 std::string date)
    : m_inBureauPiles(inBureauPiles), m_firstEntry(firstEntry), m_date(std::move(date))
{}

void MarkedLogWriter::begin(LogFields header)
{
    m_begun = true;
    m_out += "Written by Vorn: the log as read, the QSOs of the bureau piles marked as sent via "
             "the bureau.\r\n";
    if (!header.empty()) {
        for (const LogFieldView &field : header)
            appendField(m_out, field.name, field.value);
    } else {
        appendField(m_out, "ADIF_VER", "3.1.4");
        appendField(m_out, "PROGRAMID", "Vorn");
    }
    m_out += "<EOH>\r\n";
}

void MarkedLogWriter::header(LogFields fields)
{
    // Only the first header counts, and only before the first entry.
    if (!m_begun)
        begin(fields);
}

void MarkedLogWriter::finish()
{
    if (!m_begun)
        begin({});
}

void MarkedLogWriter::record(LogFields fields)
{
    if (!m_begun)
        begin({});
    const std::size_t entry = m_firstEntry + m_entries++;
    const std::array<std::pair<std::string_view, std::string_view>, 3> sent{{
        {LogField::QslSent, "Y"},
        {LogField::QslSentVia, "B"},
        {LogField::QslSentDate, m_date},
    }};
    bool mark = false;
    switch (qslState(fields)) {
    case QslState::Waiting:
        mark = entry < m_inBureauPiles.size() && m_inBureauPiles[entry];
        ++(mark ? m_report.marked : m_report.notInBureauPile);
        break;
    case QslState::SentAlready:
        ++m_report.sentAlready;
        break;
    case QslState::NotToBeSent:
        ++m_report.notToBeSent;
        break;
    case QslState::SentOtherWay:
        ++m_report.sentOtherWay;
        break;
    }
    std::array<bool, 3> written{};
    for (const LogFieldView &field : fields) {
        std::string_view value = field.value;
        for (std::size_t i = 0; mark && i < sent.size(); ++i) {
            if (field.name == sent[i].first && !written[i]) {
                value = sent[i].second;
                written[i] = true;
            }
        }
        appendField(m_out, field.name, value);
    }
    for (std::size_t i = 0; mark && i < sent.size(); ++i) {
        if (!written[i])
            appendField(m_out, sent[i].first, sent[i].second);
    }
    m_out += "<EOR>\r\n";
}

std::string markedAdif(std::string_view log, LogFormat format,
                       const std::vector<bool> &inBureauPiles, std::string_view date,
                       MarkReport &report)
{
    MarkedLogWriter writer(inBureauPiles, 0, std::string(date));
    const auto reader = makeLogReader(format, writer);
    reader->feed(log);
    reader->finish();
    writer.finish();
    report = writer.report();
    return std::move(writer.text());
}

bool isSameFile(const std::filesystem::path &target, const std::filesystem::path &source)
{
    std::error_code ignored;
    const auto targetPath = std::filesystem::weakly_canonical(target, ignored);
    const auto sourcePath = std::filesystem::weakly_canonical(source, ignored);
    return std::filesystem::equivalent(target, source, ignored) ||
           (!targetPath.empty() && targetPath == sourcePath);
}

MarkJob::MarkJob(std::filesystem::path target, SortJob::LogReport log,
                 std::vector<bool> inBureauPiles, std::string date)
    : m_target(std::move(target)), m_log(std::move(log)), m_inBureauPiles(std::move(inBureauPiles)),
      m_writer(m_inBureauPiles, m_log.firstEntry, std::move(date))
{}

MarkJob::~MarkJob()
{
    // The work file is the commit's until it ends.
    if (m_commit.valid())
        m_commit.wait();
}

void MarkJob::run()
{
    while (step(std::chrono::seconds(1))) {
    }
}

bool MarkJob::step(std::chrono::microseconds budget)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + budget;
    if (m_stage == Stage::Starting && !start())
        return false;
    while (m_stage == Stage::Writing) {
        if (!writeSome())
            return false;
        if (Clock::now() >= deadline)
            return true;
    }
    if (m_stage == Stage::Committing) {
        if (m_commit.wait_until(deadline) != std::future_status::ready)
            return true;
        m_output.reset();
        if (const std::error_code error = m_commit.get())
            return failWriting(error);
        m_stage = Stage::Done;
    }
    return false;
}

std::string MarkJob::changed() const
{
    return m_log.file.string() +
           " has changed since it was sorted: open it anew, then mark its QSOs as sent.";
}

bool MarkJob::fail(std::string why)
{
    m_stage = Stage::Failed;
    m_error = std::move(why);
    m_reader.reset();
    if (m_commit.valid())
        m_commit.wait();
    m_output.reset(); // removes the work file
    return false;
}

bool MarkJob::failWriting(std::error_code error)
{
    return fail("cannot write " + m_target.string() + ": " + error.message());
}

bool MarkJob::start()
{
    if (isSameFile(m_target, m_log.file))
        return fail("Vorn never writes over the log it read (" + m_log.file.string() +
                    "): choose another file.");
    if (!m_log.fingerprint.regularFile)
        return fail(m_log.file.string() + " is not a file that can be read again: save the log "
                                          "to a file, open that, then mark its QSOs as sent.");
    // Size and time tell most changes before a byte is read; the digest tells the rest.
    const LogFingerprint now = fileStamp(m_log.file);
    if (!now.regularFile || now.size != m_log.fingerprint.size ||
        now.modified != m_log.fingerprint.modified)
        return fail(changed());
    if (!m_input.open(m_log.file))
        return fail("cannot read " + m_log.file.string() + ": " + m_input.error().message());
    m_output = std::make_unique<FileReplacement>(m_target);
    if (const std::error_code error = m_output->open())
        return failWriting(error);
    m_reader = makeLogReader(m_log.format, m_writer);
    m_stage = Stage::Writing;
    return true;
}

bool MarkJob::writeSome()
{
    constexpr std::size_t ChunkSize = 64 * 1024;
    m_chunk.resize(ChunkSize);
    const std::ptrdiff_t n = m_input.read(m_chunk.data(), m_chunk.size());
    if (n < 0)
        return fail("cannot read " + m_log.file.string() + ": " + m_input.error().message());
    const std::string_view bytes(m_chunk.data(), static_cast<std::size_t>(n));
    m_digest.feed(bytes);
    if (n > 0)
        m_reader->feed(bytes);
    else
        m_reader->finish();
    // Read again, the log must give what it gave: the same bytes, entries and damage.
    if (m_digest.bytes() > m_log.fingerprint.bytesRead || !m_reader->refusal().empty() ||
        m_writer.entries() > m_log.entries)
        return fail(changed());
    if (n == 0) {
        m_writer.finish();
        if (m_digest.bytes() != m_log.fingerprint.bytesRead ||
            m_digest.value() != m_log.fingerprint.digest || m_writer.entries() != m_log.entries ||
            m_reader->damagedRecords() != m_log.damaged)
            return fail(changed());
    }
    if (m_writer.text().size() >= ChunkSize || n == 0) {
        if (const std::error_code error = m_output->write(m_writer.text()))
            return failWriting(error);
        m_writer.text().clear();
    }
    if (n > 0)
        return true;
    m_reader.reset();
    m_input.close();
    // Bringing a large file to disk and renaming it over an old one takes long: the window
    // goes on meanwhile.
    m_commit =
        std::async(std::launch::async, [output = m_output.get()] { return output->commit(); });
    m_stage = Stage::Committing;
    return true;
}

double MarkJob::progress() const
{
    if (m_stage == Stage::Done)
        return 1.0;
    const std::uintmax_t total = m_log.fingerprint.bytesRead;
    return total == 0
               ? 0.0
               : std::min(1.0, static_cast<double>(m_digest.bytes()) / static_cast<double>(total));
}

bool saveMarkedLog(const std::filesystem::path &target, const SortJob::LogReport &log,
                   const std::vector<bool> &inBureauPiles, std::string_view date,
                   MarkReport &report, std::string &error)
{
    MarkJob job(target, log, inBureauPiles, std::string(date));
    job.run();
    report = job.report();
    if (job.failed())
        error = job.error();
    return job.done();
}
