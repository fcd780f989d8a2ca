#pragma once

#include "core/text/Ascii.h"
#include "core/text/ByteSource.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// The exact calls of calls.asc: stations whose call does not tell their entity (DXpeditions,
// special-event calls, bases in Antarctica, stations that moved), each with its entity code.
// country.asc has no room for them; the look-up asks this list after the exact rows of
// country.asc and before its prefixes.
//
// A line of calls.asc reads as a line of country.asc does: a first token that means nothing to
// the program (the generator writes the DXCC number), the call without the end marker, and the
// entity code, separated by blanks and ended by CR LF. The list is taken whole or not at all.
class ExactCallList
{
public:
    static constexpr std::size_t MaxCallLength = 15; // what the call field takes
    static constexpr std::size_t EntityCodeWidth = 6;
    static constexpr std::size_t MaxFileBytes = 2 * 1024 * 1024;

    std::size_t count() const { return m_keys.size(); }
    bool empty() const { return m_keys.empty(); }
    // Every entity code that a call of the list has, each once, as the file writes it.
    const std::vector<std::string> &entityCodes() const { return m_codes; }
    void clear();

    // The entity code of the call that a search key stands for (the typed text followed by the
    // end marker "*"; letters compared as capitals); empty when the list does not hold it.
    std::string_view entityOf(std::string_view searchKey) const
    {
        return m_keys.empty() ? std::string_view() : find(pack(searchKey));
    }
    // The same for a search key held in 16 bytes with NUL after it, as the look-up holds it: read
    // as two words, without a copy.
    std::string_view entityOfPadded(const char *sixteenBytes) const
    {
        return m_keys.empty() ? std::string_view() : find(packPadded(sixteenBytes));
    }
    // The same for a key whose letters are capitals already, as the look-up's search key holds
    // them.
    std::string_view entityOfCapitals(const char *sixteenBytes) const
    {
        return m_keys.empty() ? std::string_view() : find(packCapitals(sixteenBytes));
    }

    // Fills the list from the bytes of a calls file: all of it, or, when a line is not a call
    // and an entity code or a call is listed twice, nothing; badLine is then that line (from 1).
    bool build(std::string_view bytes, std::size_t &badLine);

private:
    // A call with its end marker, folded to capitals and packed into 16 bytes padded with NUL,
    // so that two calls are compared, and hashed, as two numbers.
    struct Key
    {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        bool operator==(const Key &) const = default;
    };
    static Key pack(std::string_view searchKey, bool addMarker = false);
    static Key packCapitals(const char *sixteenBytes)
    {
        Key key;
        std::memcpy(&key.low, sixteenBytes, 8);
        std::memcpy(&key.high, sixteenBytes + 8, 8);
        return key;
    }
    static Key packPadded(const char *sixteenBytes)
    {
        Key key = packCapitals(sixteenBytes);
        key.low = Ascii::upperBytes(key.low);
        key.high = Ascii::upperBytes(key.high);
        return key;
    }
    // One multiplication mixes the key enough for the filter, whose two bits come from its top;
    // the bucket takes the whole hash, which only a call that passes the filter needs.
    static std::uint64_t mix(const Key &key)
    {
        return (key.low ^ std::rotl(key.high, 29)) * 0x9e3779b97f4a7c15u;
    }
    static std::uint64_t hashOfMix(std::uint64_t mixed)
    {
        std::uint64_t h = mixed ^ (mixed >> 32);
        h *= 0xd6e8feb86659fd93u;
        return h ^ (h >> 29);
    }
    static std::uint64_t filterBit(std::uint64_t mixed, int which)
    {
        return mixed >> (which == 0 ? 55 : 46) & 511;
    }
    // The filter: blocks of one cache line, two bits of each key in the block of its first
    // characters. The first four characters choose the block: calls looked up in order, as a log
    // or a list sorts them, read the same few blocks again and again. Three would crowd a block
    // with the hundreds of listed calls of one prefix (KL7, WH6, GB0).
    static constexpr std::size_t FilterBlockWords = 8;
    std::size_t filterBlock(const Key &key) const
    {
        const std::uint64_t start = (key.low & 0xffffffff) * 0x9e3779b97f4a7c15u;
        return static_cast<std::size_t>(start >> m_filterShift) * FilterBlockWords;
    }
    bool mayHold(const Key &key, std::uint64_t mixed) const
    {
        const std::uint64_t *block = m_filter.data() + filterBlock(key);
        const std::uint64_t first = filterBit(mixed, 0);
        const std::uint64_t second = filterBit(mixed, 1);
        return (block[first >> 6] >> (first & 63) & 1) != 0 &&
               (block[second >> 6] >> (second & 63) & 1) != 0;
    }
    // Nearly every call looked up is turned away by the filter, in line; the rest read a bucket.
    std::string_view find(const Key &key) const
    {
        const std::uint64_t mixed = mix(key);
        return mayHold(key, mixed) ? findInBucket(key, hashOfMix(mixed)) : std::string_view();
    }
    std::string_view findInBucket(const Key &key, std::uint64_t h) const;

    // The keys grouped by bucket, the code of each key, and where each bucket begins. Most calls
    // looked up are in no list: a filter, most of whose bits are clear, turns those away before
    // a bucket is read.
    std::vector<Key> m_keys;
    std::vector<std::uint32_t> m_codeOfKey;
    std::vector<std::uint32_t> m_bucketStarts;
    std::vector<std::uint64_t> m_filter;
    std::vector<std::string> m_codes; // each entity code once
    unsigned m_bucketShift = 64;
    unsigned m_filterShift = 64;
};

// What loading calls.asc came to. A file that is missing is no fault: the data folder of an
// older version holds none, and the look-up answers as it did without the list.
struct CallListLoad
{
    // The system's reason when the file could not be read; a DataFileProblem when it was refused.
    std::error_code error;
    std::size_t line = 0; // for DataFileProblem::BadLine: the first line that is not a call

    explicit operator bool() const { return !error; }
    bool missing() const { return error == std::errc::no_such_file_or_directory; }
    // Why the list is not used, for messages: "line 7 is not a call and an entity code".
    std::string reason() const;
};

// Refills the list from a calls file. On any failure the list is left empty.
CallListLoad loadExactCallList(ExactCallList &list, const std::filesystem::path &file);
CallListLoad loadExactCallList(ExactCallList &list, ByteSource &source);

// What the About box and --version say of the list: "exact calls: 20187 (calls.asc)", "exact
// calls: none (no calls.asc)" or "exact calls: none (calls.asc not used)"; --version, withReason,
// adds why a list was not used, which the About box has no room for and the start-up's warning
// has said.
std::string describeExactCallList(const CallListLoad &load, std::size_t count,
                                  bool withReason = false);
