// A log as bytes, ADIF or ADX, through the readers in pieces of any size: the pieces never change
// what is read, and every entry is well formed.

#include "FuzzInput.h"
#include "logbook/LogReader.h"

#include <vector>

namespace {

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
    bool broken = false; // a broken XML log stops the read
};

Reading read(LogFormat format, std::string_view bytes, std::size_t piece)
{
    Collector collector;
    const auto reader = makeLogReader(format, collector);
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        reader->feed(bytes.substr(at, piece));
    reader->finish();
    return {std::move(collector.entries), reader->damagedRecords(), !reader->error().empty()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t piece = 1;
    const std::string_view bytes = takePieceSize(data, size, piece);
    const LogFormat format = size > 0 && (data[0] & 0x80) ? LogFormat::Adx : LogFormat::Adif;
    const Reading inPieces = read(format, bytes, piece);
    const Reading whole = read(format, bytes, bytes.size() + 1);
    // Where a broken XML log stops depends on how much the XML parser saw at once (it checks the
    // encoding of all it holds); a sound log reads the same in any pieces.
    if (!inPieces.broken && !whole.broken) {
        FUZZ_CHECK(inPieces.entries == whole.entries);
        FUZZ_CHECK(inPieces.damaged == whole.damaged);
    }
    std::size_t held = 0;
    for (const Entry &entry : whole.entries) {
        for (const auto &[name, value] : entry.fields)
            held += value.size();
    }
    // ADIF data are slices. An XML log in another encoding than UTF-8 turns each byte into at most
    // one character, three bytes in UTF-8 (a replacement character); entity references only
    // shrink.
    FUZZ_CHECK(held <= 3 * bytes.size());
    return 0;
}
