#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Slots of an open-addressing hash table that hold indices into a table kept elsewhere; the
// caller compares keys and gives each index's hash when the slots grow. At most 70 % of the
// slots are taken, so a search ends after a few probes.
class IndexSlots
{
public:
    static constexpr std::uint32_t None = UINT32_MAX;

    // The index whose key `equal` accepts, among those stored with this hash; None if none is.
    template<typename Equal> std::uint32_t find(std::size_t hash, Equal equal) const
    {
        if (m_slots.empty())
            return None;
        for (std::size_t at = hash & mask();; at = (at + 1) & mask()) {
            const std::uint32_t index = m_slots[at];
            if (index == None || equal(index))
                return index;
        }
    }

    // Stores an index not yet stored; hashOf gives the hash of any index stored before.
    template<typename HashOf> void insert(std::size_t hash, std::uint32_t index, HashOf hashOf)
    {
        if ((m_count + 1) * 10 > m_slots.size() * 7)
            grow(hashOf);
        place(hash, index);
        ++m_count;
    }

    std::size_t capacity() const { return m_slots.size(); }
    std::size_t bytes() const { return m_slots.capacity() * sizeof(std::uint32_t); }

private:
    std::size_t mask() const { return m_slots.size() - 1; }
    void place(std::size_t hash, std::uint32_t index)
    {
        std::size_t at = hash & mask();
        while (m_slots[at] != None)
            at = (at + 1) & mask();
        m_slots[at] = index;
    }
    template<typename HashOf> void grow(HashOf hashOf)
    {
        std::vector<std::uint32_t> old(m_slots.empty() ? 16 : m_slots.size() * 2, None);
        old.swap(m_slots);
        for (const std::uint32_t index : old) {
            if (index != None)
                place(hashOf(index), index);
        }
    }

    std::vector<std::uint32_t> m_slots;
    std::size_t m_count = 0;
};

// Every distinct text once, numbered from 0 in the order first met: the texts in one string,
// their ends beside it, and a hash table of their numbers. A log's calls, notes and QSO fields
// repeat often, and each costs its bytes and a few more only once.
class TextIndex
{
public:
    static constexpr std::uint32_t None = IndexSlots::None;

    // The number of the text, adding it when it is new.
    std::uint32_t intern(std::string_view text);
    // The number of the text; None when it was never added.
    std::uint32_t find(std::string_view text) const;

    std::size_t size() const { return m_ends.size(); }
    std::string_view operator[](std::uint32_t index) const
    {
        const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_text).substr(begin, m_ends[index] - begin);
    }
    // The memory it holds, for the benchmarks and tests.
    std::size_t bytes() const;
    std::size_t slotCapacity() const { return m_slots.capacity(); }

private:
    static std::size_t hashOf(std::string_view text);

    std::string m_text;
    std::vector<std::size_t> m_ends;
    IndexSlots m_slots;
};
