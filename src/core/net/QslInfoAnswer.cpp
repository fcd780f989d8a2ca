#include "core/net/QslInfoAnswer.h"

#include "core/net/QslInfoRequest.h"

namespace {

constexpr std::string_view EndMarker = "</soap:Envelope>";
constexpr std::string_view ResultTag = "<qslinfoResult>";
constexpr std::string_view ResultEndTag = "</qslinfoResult>";

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
        if (firstLine && text.substr(0, creditMark.size()) == creditMark)
            shown.emplace_back("no entry found");
        shown.push_back(QslInfoRequest::xmlUnescaped(text));
        firstLine = false;
    }
    shown.emplace_back(" ");
    return shown;
}
