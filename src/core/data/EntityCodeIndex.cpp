#include "core/data/EntityCodeIndex.h"

#include <algorithm>

namespace {

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::size_t slotOf(std::uint64_t key, std::size_t slots)
{
    return static_cast<std::size_t>((key * 0x9e3779b97f4a7c15u) >> 54) & (slots - 1);
}

std::string folded(std::string_view code)
{
    std::string text(code);
    std::transform(text.begin(), text.end(), text.begin(), upper);
    return text;
}

} // namespace

bool EntityCodeIndex::pack(std::string_view code, std::uint64_t &key)
{
    if (code.size() > 7)
        return false;
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < code.size(); ++i)
        bytes |= std::uint64_t{static_cast<unsigned char>(code[i])} << (8 * i);
    // Capitals for 'a' to 'z' in all bytes at once: a byte is small when its low seven bits
    // reach 'a' but not beyond 'z' and its top bit is clear; such a byte loses 0x20.
    constexpr std::uint64_t Ones = 0x0101010101010101u;
    const std::uint64_t low7 = bytes & (0x7f * Ones);
    const std::uint64_t fromA = low7 + (0x80 - 'a') * Ones;
    const std::uint64_t pastZ = low7 + (0x80 - 'z' - 1) * Ones;
    const std::uint64_t small = fromA & ~pastZ & ~bytes & (0x80 * Ones);
    // The length goes into the eighth byte, which no code of up to seven bytes fills.
    key = (bytes - (small >> 2)) | std::uint64_t{code.size()} << 56;
    return true;
}

void EntityCodeIndex::clear()
{
    m_slots.fill(Slot{});
    m_longCodes.clear();
}

void EntityCodeIndex::add(std::string_view code, std::uint16_t row)
{
    std::uint64_t key = 0;
    if (!pack(code, key)) {
        m_longCodes.emplace_back(folded(code), row);
        return;
    }
    for (std::size_t i = slotOf(key, Slots);; i = (i + 1) & (Slots - 1)) {
        Slot &slot = m_slots[i];
        if (slot.row == NoRow) {
            slot = {key, row};
            return;
        }
        if (slot.key == key)
            return; // an earlier row has this code
    }
}

std::uint16_t EntityCodeIndex::find(std::string_view code) const
{
    std::uint64_t key = 0;
    if (!pack(code, key)) {
        const std::string wanted = folded(code);
        for (const auto &[longCode, row] : m_longCodes) {
            if (longCode == wanted)
                return row;
        }
        return NoRow;
    }
    for (std::size_t i = slotOf(key, Slots);; i = (i + 1) & (Slots - 1)) {
        const Slot &slot = m_slots[i];
        if (slot.row == NoRow || slot.key == key)
            return slot.row;
    }
}
