#include "core/net/QslInfoAnswer.h"

#include "core/net/QslInfoRequest.h"

namespace {

constexpr std::string_view EndMarker = "</soap:Envelope>";
constexpr std::string_view ResultTag = "<qslinfoResult>";
constexpr std::string_view ResultEndTag = "</qslinfoResult>";
constexpr std::string_view ReplacementCharacter = "\xef\xbf\xbd";

bool hidden(char32_t code)
{
    return (code < 0x20 && code != '\t') || (code >= 0x7f && code <= 0x9f) || code == 0x2028 ||
           code == 0x2029 || (code >= 0x202a && code <= 0x202e) ||
           (code >= 0x2066 && code <= 0x2069);
}

// The length of the UTF-8 sequence that starts text and the character it encodes; 0 when it is
// not a valid one (a stray byte, a cut or overlong sequence, a surrogate, beyond U+10FFFF).
std::size_t decodeUtf8(std::string_view text, char32_t &code)
{
    const auto lead = static_cast<unsigned char>(text.front());
    std::size_t length = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        code = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        code = lead & 0x0f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xc0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3f);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return 0;
    return length;
}

} // namespace

void QslInfoAnswer::add(std::string_view text)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        m_lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    m_lines.emplace_back(text.substr(start));
}

std::string_view QslInfoAnswer::line(std::size_t k) const
{
    return k < m_lines.size() ? std::string_view(m_lines[k]) : std::string_view();
}

std::optional<std::vector<std::string>> QslInfoAnswer::shown(std::string_view call,
                                                             std::string_view creditMark) const
{
    std::size_t endLine = 0;
    while (endLine < ScannedLines && line(endLine).find(EndMarker) == std::string_view::npos)
        ++endLine;
    if (endLine == ScannedLines)
        return std::nullopt;

    std::vector<std::string> shown;
    shown.push_back("********** " + std::string(call) + " **********");
    bool inResult = false;
    bool firstLine = false;
    for (std::size_t k = 0; k <= endLine; ++k) {
        std::string_view text = line(k);
        if (const std::size_t open = text.find(ResultTag); open != std::string_view::npos) {
            inResult = true;
            text.remove_prefix(open + ResultTag.size());
            firstLine = true;
        }
        if (!inResult)
            text = {};
        if (const std::size_t close = text.find(ResultEndTag); close != std::string_view::npos) {
            inResult = false;
            text = text.substr(0, close);
        }
        if (text.empty())
            continue;
        std::string shownLine = shownText(QslInfoRequest::xmlUnescaped(text));
        if (shownLine.empty())
            continue;
        if (firstLine && text.substr(0, creditMark.size()) == creditMark)
            shown.emplace_back("no entry found");
        shown.push_back(std::move(shownLine));
        firstLine = false;
    }
    shown.emplace_back(" ");
    return shown;
}

std::string QslInfoAnswer::shownText(std::string_view utf8)
{
    std::string text;
    text.reserve(utf8.size());
    while (!utf8.empty()) {
        char32_t code = 0;
        const std::size_t length = decodeUtf8(utf8, code);
        if (length == 0) {
            text += ReplacementCharacter;
            utf8.remove_prefix(1);
            continue;
        }
        if (!hidden(code))
            text += utf8.substr(0, length);
        utf8.remove_prefix(length);
    }
    return text;
}
