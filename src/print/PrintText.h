#pragma once

#include <QString>
#include <string_view>

// The sorted log's texts as the painters take them: calls and piles are single-byte text, as the
// log's call field holds them; dates and QSO fields are plain ASCII.
namespace PrintText {

inline QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace PrintText
