#pragma once

#include "core/text/ByteSource.h"

#include <array>
#include <string>
#include <string_view>

// Removes leading and trailing blanks (the space character only); inner blanks stay.
std::string trimBlanks(std::string_view text);
// The same, as a view into the text.
std::string_view withoutBlanks(std::string_view text);

// Splits single-byte text into lines the way every text file of Vorn is read: a line ends at
// CR, an LF right after that CR belongs to the line end, a lone LF is an ordinary character,
// and the byte 0x1A ends the input wherever it stands. The last line needs no line end. The
// settings file, which users write with any editor, also takes a lone LF as a line end.
//
// Only the first MaxLineLength bytes of a line are kept; the rest is read and dropped, so that
// memory stays bounded whatever a file holds (a file with LF line ends, or none, is one line).
class LineReader
{
public:
    // Far more than any line of Vorn's files can use: a bureau record is 61 columns, a country
    // line's fields end within a few dozen, and a settings line holds a code or a call sign.
    static constexpr std::size_t MaxLineLength = 4096;

    enum class Status {
        Line,  // a line was read
        End,   // no more lines
        Error, // the device failed; the line being read is lost
    };

    enum class LineEnds {
        Cr,     // CR or CR LF; a lone LF is an ordinary character
        CrOrLf, // CR, CR LF or LF
    };

    explicit LineReader(ByteSource &source, LineEnds ends = LineEnds::Cr)
        : m_source(source), m_lfEndsLine(ends == LineEnds::CrOrLf)
    {}

    // Reads the next line into line. The end of the input is tested before the line, so an
    // empty input, or one that ends right after a line end, gives End without a line.
    Status next(std::string &line);

    // The length of the last line read as the input holds it, the dropped part included.
    std::size_t lineLength() const { return m_lineLength; }

    // Once next() has given End: whether the input went on after the byte 0x1A that ended it
    // with anything but line ends and more such bytes, text that no reader of Vorn sees. Reads
    // the rest of the input to tell.
    bool textAfterEndMark();

private:
    // Makes sure a byte is waiting in the buffer; false at the end of the input or on an error.
    bool fill();

    ByteSource &m_source;
    std::array<char, 16384> m_buffer{};
    std::size_t m_pos = 0;
    std::size_t m_size = 0;
    std::size_t m_lineLength = 0;
    bool m_ended = false;
    bool m_failed = false;
    bool m_lfEndsLine;
    bool m_atEndMark = false; // the input ended at a byte 0x1A, which m_pos points to
};

// Reads the source line by line into a table: hands each line to take while full() is false,
// and reads nothing more once it is true. The source's error when a read fails.
template<typename Full, typename Take>
LoadResult readLinesUntilFull(ByteSource &source, Full full, Take take)
{
    LineReader reader(source);
    std::string line;
    while (!full()) {
        switch (reader.next(line)) {
        case LineReader::Status::Line:
            take(line);
            continue;
        case LineReader::Status::End:
            return {};
        case LineReader::Status::Error:
            return {source.error()};
        }
    }
    return {};
}
