// A log as bytes, ADIF, ADX or a list of calls, through the readers in pieces of any size: the
// pieces never change what is read, every entry is well formed, and the reader's memory and time
// stay within bounds that the input cannot move. The limits are small, so that the fuzzer
// reaches them.

#include "FuzzInput.h"
#include "logbook/LogReader.h"

#include <chrono>
#include <vector>

namespace {

constexpr LogLimits Limits{.fieldBytes = 64,
                           .recordBytes = 512,
                           .recordFields = 16,
                           .attributes = 4,
                           .nesting = 6,
                           .wordBytes = 16};

// What a reader may hold between pieces: a record and a field's data beyond it, its tag, and
// the piece, with room for the growth of its buffers. Nothing here grows with the input.
constexpr std::size_t heldBound(std::size_t piece)
{
    return 4 * (Limits.recordBytes + 4 * Limits.fieldBytes + 256 + piece) +
           Limits.recordFields * 96 + Limits.nesting * 320 + 4096;
}

struct Entry
{
    bool header = false;
    std::vector<std::pair<std::string, std::string>> fields;
    bool operator==(const Entry &) const = default;
};

class Collector final : public LogSink
{
public:
    std::vector<Entry> entries;

    void header(LogFields fields) override { add(true, fields); }
    void record(LogFields fields) override { add(false, fields); }

private:
    void add(bool header, LogFields fields)
    {
        // A header comes at most once, before any record.
        if (header)
            FUZZ_CHECK(entries.empty());
        Entry entry{header, {}};
        for (const LogFieldView &field : fields) {
            for (const char c : field.name)
                FUZZ_CHECK(!(c >= 'a' && c <= 'z'));
            entry.fields.emplace_back(field.name, field.value);
        }
        entries.push_back(std::move(entry));
    }
};

struct Reading
{
    std::vector<Entry> entries;
    std::size_t damaged = 0;
    bool broken = false; // a broken XML log stops the read, XML that is not ADX is refused
};

Reading read(LogFormat format, std::string_view bytes, std::size_t piece)
{
    Collector collector;
    const auto reader = makeLogReader(format, collector, Limits);
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        reader->feed(bytes.substr(at, piece));
        FUZZ_CHECK(reader->heldBytes() <= heldBound(piece));
    }
    reader->finish();
    return {std::move(collector.entries), reader->damagedRecords(),
            !reader->error().empty() || !reader->refusal().empty()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t piece = 1;
    const std::string_view bytes = takePieceSize(data, size, piece);
    const LogFormat format = size == 0                  ? LogFormat::Adif
                             : (data[0] & 0xC0) == 0xC0 ? LogFormat::CallList
                             : (data[0] & 0x80)         ? LogFormat::Adx
                                                        : LogFormat::Adif;
    const auto start = std::chrono::steady_clock::now();
    const Reading inPieces = read(format, bytes, piece);
    // Linear time: a reader that looked at the bytes again with every piece, or at every
    // attribute for each new one, takes seconds here. The bound leaves room for a slow,
    // instrumented build on a busy machine.
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const auto perByte = std::chrono::microseconds(10);
    FUZZ_CHECK(elapsed < std::chrono::milliseconds(500) +
                             perByte * static_cast<std::chrono::microseconds::rep>(bytes.size()));
    const Reading whole = read(format, bytes, bytes.size() + 1);
    FUZZ_CHECK(inPieces.entries == whole.entries);
    FUZZ_CHECK(inPieces.damaged == whole.damaged);
    FUZZ_CHECK(inPieces.broken == whole.broken);
    std::size_t held = 0;
    for (const Entry &entry : whole.entries) {
        for (const auto &[name, value] : entry.fields)
            held += value.size();
    }
    // ADIF data are slices. An XML log in ISO-8859-1 turns a byte into at most two bytes of
    // UTF-8, one in windows-1252 into at most three; entity references only shrink.
    FUZZ_CHECK(held <= 3 * bytes.size());
    return 0;
}
