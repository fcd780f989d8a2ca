#include "logbook/LogFingerprint.h"

#include <algorithm>
#include <functional>

LogFingerprint fileStamp(const std::filesystem::path &file)
{
    LogFingerprint stamp;
    std::error_code error;
    stamp.regularFile = std::filesystem::is_regular_file(file, error);
    if (!stamp.regularFile)
        return stamp;
    stamp.size = std::filesystem::file_size(file, error);
    stamp.modified = std::filesystem::last_write_time(file, error);
    stamp.regularFile = !error;
    return stamp;
}

void ByteDigest::mix(std::string_view block)
{
    const std::uint64_t hash = std::hash<std::string_view>{}(block);
    m_state = (m_state ^ hash) * 0x100000001B3ULL + 0x9E3779B97F4A7C15ULL;
}

void ByteDigest::feed(std::string_view bytes)
{
    m_bytes += bytes.size();
    while (!bytes.empty()) {
        if (m_partial.empty() && bytes.size() >= Block) {
            mix(bytes.substr(0, Block));
            bytes.remove_prefix(Block);
            continue;
        }
        const std::size_t taken = std::min(Block - m_partial.size(), bytes.size());
        m_partial.append(bytes.substr(0, taken));
        bytes.remove_prefix(taken);
        if (m_partial.size() == Block) {
            mix(m_partial);
            m_partial.clear();
        }
    }
}

std::uint64_t ByteDigest::value() const
{
    ByteDigest last = *this;
    last.mix(m_partial);
    return last.m_state ^ m_bytes;
}
