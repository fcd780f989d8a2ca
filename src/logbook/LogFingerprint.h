#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// What is known of a log file as it was read, so that a later read can tell whether the file is
// still the same: the file system's size and time, and the count and digest of the bytes read.
struct LogFingerprint
{
    bool regularFile = false; // a pipe or standard input cannot be read again
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    std::uintmax_t bytesRead = 0;
    std::uint64_t digest = 0;
};

// The file system's part of a fingerprint, taken before the file is read.
LogFingerprint fileStamp(const std::filesystem::path &file);

// A digest of a stream of bytes that does not depend on how the stream was cut into pieces: the
// bytes are hashed in blocks of a fixed size, which the reads of a file fill without a copy.
class ByteDigest
{
public:
    void feed(std::string_view bytes);
    std::uint64_t value() const;
    std::uintmax_t bytes() const { return m_bytes; }

private:
    static constexpr std::size_t Block = 64 * 1024;
    void mix(std::string_view block);

    std::uint64_t m_state = 0;
    std::uintmax_t m_bytes = 0;
    std::string m_partial; // the start of a block that a piece left incomplete
};
