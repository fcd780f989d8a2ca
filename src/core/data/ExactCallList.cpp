#include "core/data/ExactCallList.h"

#include "core/data/DataFileCheck.h"
#include "core/data/DataFiles.h"
#include "core/text/Ascii.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_map>

namespace {

constexpr char EndMarker = '*';

bool isCallCharacter(char c)
{
    const char upper = Ascii::upper(c);
    return (upper >= 'A' && upper <= 'Z') || (c >= '0' && c <= '9') || c == '/';
}

// A byte that a token may hold: printable ASCII but the blank.
bool isTokenByte(char c)
{
    return c > ' ' && c < 0x7f;
}

// Takes the next token off the front of a line, skipping the blanks before it.
std::string_view nextToken(std::string_view &line)
{
    std::size_t at = 0;
    while (at < line.size() && line[at] == ' ')
        ++at;
    std::size_t end = at;
    while (end < line.size() && line[end] != ' ')
        ++end;
    const std::string_view token = line.substr(at, end - at);
    line.remove_prefix(end);
    return token;
}

struct ParsedLine
{
    std::string_view call;
    std::string_view code;
};

// A line of three tokens: the first means nothing to the program, then the call and the code.
bool parseLine(std::string_view line, ParsedLine &parsed)
{
    if (!std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || isTokenByte(c); }))
        return false;
    const std::string_view first = nextToken(line);
    parsed.call = nextToken(line);
    parsed.code = nextToken(line);
    return !first.empty() && !parsed.call.empty() &&
           parsed.call.size() <= ExactCallList::MaxCallLength &&
           std::all_of(parsed.call.begin(), parsed.call.end(), isCallCharacter) &&
           !parsed.code.empty() && parsed.code.size() <= ExactCallList::EntityCodeWidth &&
           nextToken(line).empty();
}

std::uint64_t packCode(std::string_view code)
{
    std::uint64_t packed = code.size();
    for (const char c : code)
        packed = packed << 8 | static_cast<unsigned char>(c);
    return packed;
}

} // namespace

void ExactCallList::clear()
{
    m_keys.clear();
    m_codeOfKey.clear();
    m_bucketStarts.clear();
    m_filter.clear();
    m_codes.clear();
    m_bucketShift = m_filterShift = 64;
}

ExactCallList::Key ExactCallList::pack(std::string_view searchKey, bool addMarker)
{
    char bytes[16] = {};
    if (searchKey.size() > sizeof bytes)
        return {~std::uint64_t{0}, ~std::uint64_t{0}}; // no key of the list: it has NUL bytes
    std::memcpy(bytes, searchKey.data(), searchKey.size());
    if (addMarker && searchKey.size() < sizeof bytes)
        bytes[searchKey.size()] = EndMarker;
    return packPadded(bytes);
}

std::string_view ExactCallList::findInBucket(const Key &key, std::uint64_t h) const
{
    const std::uint64_t bucket = h >> m_bucketShift;
    for (std::uint32_t i = m_bucketStarts[bucket]; i < m_bucketStarts[bucket + 1]; ++i) {
        if (m_keys[i] == key)
            return m_codes[m_codeOfKey[i]];
    }
    return {};
}

bool ExactCallList::build(std::string_view bytes, std::size_t &badLine)
{
    clear();
    struct Entry
    {
        Key key;
        std::uint64_t mixed;
        std::uint64_t hash;
        std::uint32_t line;
        std::uint32_t code;
    };
    std::vector<Entry> entries;
    entries.reserve(bytes.size() / 16);
    std::unordered_map<std::uint64_t, std::uint32_t> codes;
    // Calls of one entity often stand together: the last code is tried first.
    std::uint64_t lastCode = 0;
    std::uint32_t lastCodeIndex = 0;
    std::size_t line = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\r', at);
        if (end == std::string_view::npos)
            end = bytes.size(); // a last line without its line end
        ParsedLine parsed;
        ++line;
        if (!parseLine(bytes.substr(at, end - at), parsed)) {
            badLine = line;
            clear();
            return false;
        }
        const std::uint64_t packedCode = packCode(parsed.code);
        if (packedCode != lastCode || m_codes.empty()) {
            const auto [code, added] =
                codes.try_emplace(packedCode, static_cast<std::uint32_t>(m_codes.size()));
            if (added)
                m_codes.emplace_back(parsed.code);
            lastCode = packedCode;
            lastCodeIndex = code->second;
        }
        const Key key = pack(parsed.call, true);
        const std::uint64_t mixed = mix(key);
        entries.push_back(
            {key, mixed, hashOfMix(mixed), static_cast<std::uint32_t>(line), lastCodeIndex});
        at = end + 1;
        if (at < bytes.size() && bytes[at] == '\n')
            ++at;
    }

    // Buckets of about one key each, and a filter block of 512 bits for about 16 keys. At
    // least two of each, so that a number is always a shift of fewer than 64 bits.
    const std::size_t buckets = std::bit_ceil(std::max<std::size_t>(entries.size(), 2));
    m_bucketShift = 64 - static_cast<unsigned>(std::countr_zero(buckets));
    const std::size_t blocks = std::max<std::size_t>(buckets / 16, 2);
    m_filterShift = 64 - static_cast<unsigned>(std::countr_zero(blocks));
    m_filter.assign(blocks * FilterBlockWords, 0);
    m_bucketStarts.assign(buckets + 1, 0);
    for (const Entry &entry : entries) {
        ++m_bucketStarts[(entry.hash >> m_bucketShift) + 1];
        std::uint64_t *block = m_filter.data() + filterBlock(entry.key);
        const std::uint64_t first = filterBit(entry.mixed, 0);
        const std::uint64_t second = filterBit(entry.mixed, 1);
        block[first >> 6] |= std::uint64_t{1} << (first & 63);
        block[second >> 6] |= std::uint64_t{1} << (second & 63);
    }
    for (std::size_t b = 0; b < buckets; ++b)
        m_bucketStarts[b + 1] += m_bucketStarts[b];
    std::vector<std::uint32_t> lines(entries.size());
    m_keys.resize(entries.size());
    m_codeOfKey.resize(entries.size());
    std::vector<std::uint32_t> next(m_bucketStarts.begin(), m_bucketStarts.end() - 1);
    for (const Entry &entry : entries) {
        const std::uint32_t slot = next[entry.hash >> m_bucketShift]++;
        m_keys[slot] = entry.key;
        m_codeOfKey[slot] = entry.code;
        lines[slot] = entry.line;
    }

    // A call listed twice would answer by whichever line came first: the file is not sound.
    for (std::size_t b = 0; b < buckets; ++b) {
        for (std::uint32_t i = m_bucketStarts[b]; i < m_bucketStarts[b + 1]; ++i) {
            for (std::uint32_t j = i + 1; j < m_bucketStarts[b + 1]; ++j) {
                if (m_keys[i] == m_keys[j]) {
                    badLine = std::max(lines[i], lines[j]);
                    clear();
                    return false;
                }
            }
        }
    }
    return true;
}

namespace {

// Reads at most one byte more than the list may take, so that a larger file is told apart
// without being held.
LoadResult readBounded(ByteSource &source, std::string &bytes, bool &tooLarge)
{
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const std::ptrdiff_t n = source.read(buffer, sizeof buffer);
        if (n < 0)
            return {source.error()};
        if (n == 0)
            return {};
        if (bytes.size() + static_cast<std::size_t>(n) > ExactCallList::MaxFileBytes) {
            tooLarge = true;
            return {};
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace

CallListLoad loadExactCallList(ExactCallList &list, ByteSource &source)
{
    list.clear();
    std::string bytes;
    bool tooLarge = false;
    if (const LoadResult read = readBounded(source, bytes, tooLarge); !read)
        return {read.error};
    if (tooLarge)
        return {make_error_code(DataFileProblem::TooLarge)};

    // Files of Vorn end at a byte 0x1A; only line ends and more such bytes may follow it.
    std::string_view text = bytes;
    if (const std::size_t mark = text.find('\x1a'); mark != std::string_view::npos) {
        if (text.find_first_not_of("\r\n\x1a", mark) != std::string_view::npos)
            return {make_error_code(DataFileProblem::HiddenByMark)};
        text = text.substr(0, mark);
    }
    if (text.empty())
        return {make_error_code(DataFileProblem::Empty)};
    std::size_t badLine = 0;
    if (list.build(text, badLine))
        return {};
    // Name what the whole file is when it is no data file at all (a page, UTF-16, LF line
    // ends, NUL bytes); else the line.
    MemorySource again(text);
    const DataFileProblem problem = checkDataFile(DataFile::Country, again);
    switch (problem) {
    case DataFileProblem::Markup:
    case DataFileProblem::OneHugeLine:
    case DataFileProblem::Utf16:
    case DataFileProblem::NulBytes:
        return {make_error_code(problem)};
    default:
        return {make_error_code(DataFileProblem::BadLine), badLine};
    }
}

CallListLoad loadExactCallList(ExactCallList &list, const std::filesystem::path &file)
{
    list.clear(); // also when the file cannot be opened
    CallListLoad load;
    const LoadResult read = readFile(file, [&](ByteSource &source) {
        load = loadExactCallList(list, source);
        // A refusal is no read error: the file was read.
        return LoadResult{load.error.category() == dataFileProblemCategory() ? std::error_code()
                                                                             : load.error};
    });
    if (!read) {
        list.clear();
        return {read.error};
    }
    return load;
}

std::string CallListLoad::reason() const
{
    if (error == make_error_code(DataFileProblem::BadLine))
        return "line " + std::to_string(line) +
               " is not a call and an entity code, or a call "
               "listed before";
    return error.message();
}

std::string describeExactCallList(const CallListLoad &load, std::size_t count, bool withReason)
{
    if (load)
        return "exact calls: " + std::to_string(count) + " (" + DataFiles::CallsFile + ")";
    if (load.missing())
        return std::string("exact calls: none (no ") + DataFiles::CallsFile + ")";
    return std::string("exact calls: none (") + DataFiles::CallsFile + " not used" +
           (withReason ? ": " + load.reason() : std::string()) + ")";
}
