#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The answer to one query as it arrives: the body text of each read event is added as new lines,
// and once the envelope's end lies within the first lines, the text of the result element is
// what the query window shows. Of the answer only four markers count: the envelope's end, the
// result's opening and closing tags, and the service's credit mark.
class QslInfoAnswer
{
public:
    // The end of the envelope must lie within this many lines, counted from the body's first.
    static constexpr std::size_t ScannedLines = 100;

    void clear() { m_lines.clear(); }
    // Adds the text of one read event as new last lines, one for each piece between line ends
    // (CR LF, LF or CR). A read that ends inside a line splits it in two; one that ends with a
    // line end leaves an empty line behind it.
    void add(std::string_view text);
    // Line k, counted from 0; empty beyond the last line.
    std::string_view line(std::size_t k) const;

    // The lines to show once the end of the envelope lies within the first ScannedLines lines:
    // the header line naming the call, the non-empty lines of the result element cut at its
    // tags with XML references replaced and made safe to show (shownText), "no entry found"
    // above a first line that opens with the credit mark, and the one-blank separator. Nothing
    // while the answer is incomplete.
    std::optional<std::vector<std::string>> shown(std::string_view call,
                                                  std::string_view creditMark) const;

    // A line of an answer as it may be shown: valid UTF-8, each byte that belongs to no valid
    // sequence replaced by U+FFFD, and without the characters that would let one answer pass as
    // another: control characters but the tab, the line and paragraph separators (U+2028,
    // U+2029) and the embeddings, overrides and isolates that reverse the direction of text
    // (U+202A to U+202E, U+2066 to U+2069).
    static std::string shownText(std::string_view utf8);

private:
    std::vector<std::string> m_lines;
};
