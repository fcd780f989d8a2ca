#include "core/data/PrefixIndex.h"

#include "core/text/Ascii.h"

#include <algorithm>
#include <array>

namespace {

constexpr unsigned char RareByte = 0xff;

// The child slot of each byte, small letters in the slot of their capitals; RareByte for the
// bytes without a slot of their own.
constexpr std::array<unsigned char, 256> Slots = [] {
    std::array<unsigned char, 256> slots{};
    slots.fill(RareByte);
    unsigned char next = 0;
    for (const char c : std::string_view("*/0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
        slots[static_cast<unsigned char>(c)] = next++;
    for (const char c : std::string_view("abcdefghijklmnopqrstuvwxyz"))
        slots[static_cast<unsigned char>(c)] = slots[static_cast<unsigned char>(Ascii::upper(c))];
    return slots;
}();

std::uint32_t rareKey(std::uint32_t node, unsigned char byte)
{
    return node << 8 | static_cast<unsigned char>(Ascii::upper(static_cast<char>(byte)));
}

} // namespace

void PrefixIndex::clear()
{
    m_children.clear();
    m_lowestRows.clear();
    m_rareChildren.clear();
    addChild(0, 0); // the root, where the empty prefix ends
}

std::uint16_t PrefixIndex::rareChild(std::uint32_t node, unsigned char byte) const
{
    if (m_rareChildren.empty())
        return 0;
    const auto found = m_rareChildren.find(rareKey(node, byte));
    return found == m_rareChildren.end() ? 0 : found->second;
}

std::uint16_t PrefixIndex::addChild(std::uint32_t node, unsigned char byte)
{
    const auto created = static_cast<std::uint16_t>(m_lowestRows.size());
    m_lowestRows.push_back(NoRowInNode);
    m_children.insert(m_children.end(), NodeSize, 0);
    if (created == 0)
        return created;
    if (const unsigned char slot = Slots[byte]; slot != RareByte)
        m_children[node * NodeSize + slot] = created;
    else
        m_rareChildren.emplace(rareKey(node, byte), created);
    return created;
}

void PrefixIndex::add(std::string_view prefix, std::uint16_t row)
{
    if (prefix.size() > MaxKeyLength)
        return;
    std::uint32_t node = 0;
    for (const char c : prefix) {
        const auto byte = static_cast<unsigned char>(c);
        const unsigned char slot = Slots[byte];
        const std::uint16_t next =
            slot != RareByte ? m_children[node * NodeSize + slot] : rareChild(node, byte);
        node = next ? next : addChild(node, byte);
    }
    m_lowestRows[node] = std::min(m_lowestRows[node], row);
}

std::uint16_t PrefixIndex::firstFit(std::string_view key) const
{
    // Every prefix that fits ends on the key's path; the lowest row among them wins.
    const std::uint16_t *children = m_children.data();
    const std::uint16_t *lowestRows = m_lowestRows.data();
    std::uint32_t node = 0;
    std::uint16_t lowest = lowestRows[0];
    for (const char c : key.substr(0, MaxKeyLength)) {
        const auto byte = static_cast<unsigned char>(c);
        const unsigned char slot = Slots[byte];
        node = slot != RareByte ? children[node * NodeSize + slot] : rareChild(node, byte);
        if (node == 0)
            break;
        lowest = std::min(lowest, lowestRows[node]);
    }
    return lowest == NoRowInNode ? NoRow : lowest;
}
