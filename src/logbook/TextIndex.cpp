#include "logbook/TextIndex.h"

#include <functional>

std::size_t TextIndex::hashOf(std::string_view text)
{
    return std::hash<std::string_view>{}(text);
}

std::uint32_t TextIndex::find(std::string_view text) const
{
    return m_slots.find(hashOf(text),
                        [this, text](std::uint32_t index) { return (*this)[index] == text; });
}

std::uint32_t TextIndex::intern(std::string_view text)
{
    const std::size_t hash = hashOf(text);
    const std::uint32_t found =
        m_slots.find(hash, [this, text](std::uint32_t index) { return (*this)[index] == text; });
    if (found != None)
        return found;
    const auto index = static_cast<std::uint32_t>(m_ends.size());
    m_text += text;
    m_ends.push_back(m_text.size());
    m_slots.insert(hash, index, [this](std::uint32_t stored) { return hashOf((*this)[stored]); });
    return index;
}

std::size_t TextIndex::bytes() const
{
    return m_text.capacity() + m_ends.capacity() * sizeof(std::size_t) + m_slots.bytes();
}
