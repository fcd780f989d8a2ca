#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

// Finds the first country row, in file order, whose prefix fits the start of a search key, in
// one walk down a trie of the prefixes instead of a scan of every row. Letters are compared as
// capitals (ASCII only), every other byte exactly, as the scan compares them.
class PrefixIndex
{
public:
    // Search keys are at most this long, so longer prefixes can never fit and are left out.
    static constexpr std::size_t MaxKeyLength = 16;
    static constexpr std::uint16_t NoRow = 0;

    PrefixIndex() { clear(); }

    void clear();
    // Adds the prefix of row number row (from 1); rows come in increasing order.
    void add(std::string_view prefix, std::uint16_t row);
    // The lowest row number whose prefix fits the start of the key, or NoRow.
    std::uint16_t firstFit(std::string_view key) const;

private:
    // A node has a child slot for each byte that real prefixes are made of: letters, digits,
    // '/' and '*'. Children for any other byte are kept in m_rareChildren.
    static constexpr std::size_t NodeSize = 38;
    static constexpr std::uint16_t NoRowInNode = 0xffff;

    std::uint16_t rareChild(std::uint32_t node, unsigned char byte) const;
    std::uint16_t addChild(std::uint32_t node, unsigned char byte);

    // Node n's children are m_children[n * NodeSize ...], each the child's node number or 0;
    // m_lowestRows[n] is the lowest row whose prefix ends at node n, or NoRowInNode. Both keep
    // their storage when cleared, for the next load.
    std::vector<std::uint16_t> m_children;
    std::vector<std::uint16_t> m_lowestRows;
    std::unordered_map<std::uint32_t, std::uint16_t> m_rareChildren; // node << 8 | byte
};
