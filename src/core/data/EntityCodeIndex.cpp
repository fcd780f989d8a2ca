#include "core/data/EntityCodeIndex.h"

#include "core/text/Ascii.h"

namespace {

std::size_t slotOf(std::uint64_t key, std::size_t slots)
{
    return static_cast<std::size_t>((key * 0x9e3779b97f4a7c15u) >> 54) & (slots - 1);
}

} // namespace

bool EntityCodeIndex::pack(std::string_view code, std::uint64_t &key)
{
    if (code.size() > 7)
        return false;
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < code.size(); ++i)
        bytes |= std::uint64_t{static_cast<unsigned char>(code[i])} << (8 * i);
    // The length goes into the eighth byte, which no code of up to seven bytes fills.
    key = Ascii::upperBytes(bytes) | std::uint64_t{code.size()} << 56;
    return true;
}

void EntityCodeIndex::clear()
{
    m_slots.fill(Slot{});
}

void EntityCodeIndex::add(std::string_view code, std::uint16_t row)
{
    std::uint64_t key = 0;
    if (!pack(code, key))
        return;
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
    if (!pack(code, key))
        return NoRow;
    for (std::size_t i = slotOf(key, Slots);; i = (i + 1) & (Slots - 1)) {
        const Slot &slot = m_slots[i];
        if (slot.row == NoRow || slot.key == key)
            return slot.row;
    }
}
