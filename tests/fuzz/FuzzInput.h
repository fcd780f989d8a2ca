#pragma once

#include "core/text/ByteSource.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

// The fuzzer's bytes as a device that hands them out in pieces of a size the input chooses, so
// that line ends and buffers fall anywhere.
class PieceSource final : public ByteSource
{
public:
    PieceSource(std::string_view bytes, std::size_t piece) : m_bytes(bytes), m_piece(piece) {}

    std::ptrdiff_t read(char *buffer, std::size_t size) override
    {
        const std::size_t n = std::min({size, m_piece, m_bytes.size() - m_pos});
        if (n > 0)
            std::memcpy(buffer, m_bytes.data() + m_pos, n);
        m_pos += n;
        return static_cast<std::ptrdiff_t>(n);
    }

private:
    std::string_view m_bytes;
    std::size_t m_piece;
    std::size_t m_pos = 0;
};

// Splits the input into a piece size (its first byte) and the bytes that follow.
inline std::string_view takePieceSize(const std::uint8_t *data, std::size_t size,
                                      std::size_t &piece)
{
    piece = size == 0 ? 1 : std::size_t(data[0]) % 64 + 1;
    if (size == 0)
        return {};
    return {reinterpret_cast<const char *>(data + 1), size - 1};
}

// A property that does not hold: abort, so the fuzzer keeps the input as a finding.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            std::abort();                                                                          \
    } while (false)
