#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// Finds the first bureau row of an entity code without a scan of every row. Codes are compared
// as a whole, letters as capitals (ASCII only), as the scan compares them.
class EntityCodeIndex
{
public:
    static constexpr std::uint16_t NoRow = 0;

    EntityCodeIndex() { clear(); }

    void clear();
    // Adds the code of row number row (from 1, below 1,024); rows come in increasing order.
    // Codes are at most seven bytes long, as the bureau table cuts them to six; a longer one is
    // left out, and no code is found for it.
    void add(std::string_view code, std::uint16_t row);
    // The lowest row number with this code, or NoRow.
    std::uint16_t find(std::string_view code) const;

private:
    // A code of up to seven bytes, folded to capitals, packed with its length into one number.
    static bool pack(std::string_view code, std::uint64_t &key);

    static constexpr std::size_t Slots = 1024; // open addressing, at most half full
    struct Slot
    {
        std::uint64_t key = 0;
        std::uint16_t row = NoRow;
    };
    std::array<Slot, Slots> m_slots;
};
