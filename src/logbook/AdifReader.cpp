#include "logbook/AdifReader.h"

#include "core/text/Ascii.h"
#include "core/text/Integer.h"

#include <algorithm>
#include <cstring>

namespace {

// Longer than any real tag ("<APP_SOMELOGGER_FIELDNAME:123456:S>"); a '<' with no '>' within
// this reach is taken for text, not for a tag.
constexpr std::size_t MaxTagLength = 96;
// A field's length: decimal digits alone, at most nine of them.
constexpr IntegerSyntax LengthSyntax{.maxDigits = 9};
// A UTF-8 character takes up to four bytes: a count of characters reaches at most this many
// bytes per character beyond a count of bytes.
constexpr std::size_t MostExtraBytesPerCharacter = 3;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool hasHighBytes(std::string_view text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Where `count` characters of UTF-8 text that start at `at` end, or npos when the text ends
// first. Bytes that form no valid sequence count as one character each, so Latin-1 text
// counts as many characters as it has bytes.
std::size_t characterEnd(std::string_view text, std::size_t at, std::size_t count)
{
    for (; count > 0; --count) {
        if (at >= text.size())
            return std::string_view::npos;
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t followers = lead < 0xC0 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        std::size_t size = 1;
        while (size <= followers && at + size < text.size() &&
               (static_cast<unsigned char>(text[at + size]) & 0xC0) == 0x80)
            ++size;
        at += size;
    }
    return at;
}

// The end of a field's data: its length in bytes, unless the length only makes sense as a
// count of characters (the bytes it would leave out are neither the next tag nor blanks).
std::size_t dataEnd(std::string_view buffer, std::size_t valueAt, std::size_t byteEnd,
                    std::size_t length)
{
    if (!hasHighBytes(buffer.substr(valueAt, byteEnd - valueAt)))
        return byteEnd;
    std::size_t charEnd = characterEnd(buffer, valueAt, length);
    if (charEnd == std::string_view::npos)
        charEnd = buffer.size();
    const std::string_view rest = buffer.substr(byteEnd, charEnd - byteEnd);
    if (rest.find('<') != std::string_view::npos || std::all_of(rest.begin(), rest.end(), isBlank))
        return byteEnd;
    return charEnd;
}

} // namespace

void AdifReader::feed(std::string_view bytes)
{
    if (m_finished)
        return;
    m_buffer.append(bytes);
    parse(false);
    compact();
}

void AdifReader::finish()
{
    if (m_finished)
        return;
    parse(true);
    // A last record without its <EOR> is kept when nothing else is wrong with it.
    if (m_recordDamaged)
        dropRecord();
    else if (!m_fields.empty())
        emit(false);
    m_finished = true;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_pos = 0;
}

std::size_t AdifReader::heldBytes() const
{
    return m_buffer.capacity() + m_fields.capacity() * sizeof(FieldSpan) +
           m_views.capacity() * sizeof(LogFieldView);
}

void AdifReader::parse(bool atEnd)
{
    while (m_pos < m_buffer.size()) {
        if (m_skip > 0) {
            const std::size_t passed = std::min(m_skip, m_buffer.size() - m_pos);
            m_skip -= passed;
            m_pos += passed;
            continue;
        }
        const std::size_t open = m_buffer.find('<', m_pos);
        noteLeadingText(open == std::string::npos ? m_buffer.size() : open);
        if (open == std::string::npos) {
            m_pos = m_buffer.size();
            checkRecordSpan(m_pos);
            return;
        }
        m_pos = open;
        checkRecordSpan(m_pos);
        if (parseTag(open, atEnd) == Step::NeedMore)
            return;
    }
}

void AdifReader::noteLeadingText(std::size_t end)
{
    if (m_startKnown)
        return;
    // Blanks and a UTF-8 byte-order mark may stand before the first tag of a file without a
    // header.
    const std::size_t text = m_buffer.find_first_not_of(" \t\r\n\f\v\xEF\xBB\xBF", m_pos);
    if (text < end) {
        m_inHeaderText = true;
        m_startKnown = true;
    } else if (end < m_buffer.size()) {
        m_startKnown = true;
    }
}

AdifReader::Step AdifReader::parseTag(std::size_t open, bool atEnd)
{
    const std::string_view buffer(m_buffer);
    const std::string_view reachable = buffer.substr(open + 1, MaxTagLength);
    const std::size_t reach = open + 1 + reachable.size();
    const std::size_t closeInReach = reachable.find('>');
    const std::size_t reopenInReach = reachable.find('<');
    const std::size_t close =
        closeInReach == std::string_view::npos ? std::string_view::npos : open + 1 + closeInReach;
    const std::size_t reopen =
        reopenInReach == std::string_view::npos ? std::string_view::npos : open + 1 + reopenInReach;
    if (close == std::string_view::npos) {
        if (reach < buffer.size() || reachable.size() == MaxTagLength ||
            reopen != std::string_view::npos) {
            m_pos = open + 1; // a lone '<' in text
            return Step::Parsed;
        }
        if (!atEnd)
            return Step::NeedMore;
        // The input ends inside a tag.
        if (!m_fields.empty())
            markDamaged();
        m_pos = buffer.size();
        return Step::Parsed;
    }
    if (reopen < close) {
        m_pos = reopen; // "<<CALL:…>": the first '<' is text
        return Step::Parsed;
    }

    const std::string_view tag = buffer.substr(open + 1, close - open - 1);
    const std::size_t colon = tag.find(':');
    const std::string_view name = tag.substr(0, colon);
    // Some writers give the end marks a length too: <EOR:0>.
    if (Ascii::equalIgnoringCase(name, "EOR")) {
        m_pos = close + 1;
        endRecord();
        return Step::Parsed;
    }
    if (Ascii::equalIgnoringCase(name, "EOH")) {
        m_pos = close + 1;
        endHeader();
        return Step::Parsed;
    }
    if (colon == std::string_view::npos) {
        m_pos = close + 1;
        return Step::Parsed; // any other bare tag is text that happens to sit in angle brackets
    }

    std::string_view lengthText = tag.substr(colon + 1);
    lengthText = lengthText.substr(0, lengthText.find(':')); // the type is not needed
    const bool nameOk = !name.empty() && std::none_of(name.begin(), name.end(), isBlank);
    const std::optional<std::uint64_t> parsedLength = parseUnsigned(lengthText, LengthSyntax);
    if (!nameOk || !parsedLength) {
        m_pos = close + 1;
        // Where the data of a broken field tag ends is anyone's guess, so its record is lost,
        // even when the tag is the record's first (<CALL:-6>, <CALL:abc>). In the free text of
        // a header, and where the name is no name, it is only text.
        if (!m_fields.empty() || (nameOk && !m_inHeaderText))
            markDamaged();
        return Step::Parsed;
    }

    const std::size_t length = *parsedLength;
    const std::size_t valueAt = close + 1;
    if (length > m_limits.fieldBytes) {
        // Passed over by its length without being held.
        markDamaged();
        m_pos = valueAt;
        m_skip = length;
        return Step::Parsed;
    }
    const std::size_t byteEnd = valueAt + length;
    // A count of characters may reach further than one of bytes. Waiting for every byte it
    // could reach, rather than looking whether it does each time a piece arrives, keeps the
    // time linear.
    if (!atEnd && buffer.size() <= byteEnd + MostExtraBytesPerCharacter * length) {
        m_pos = open;
        return Step::NeedMore;
    }
    if (byteEnd > buffer.size()) {
        markDamaged(); // the data are cut off by the end of the file
        m_pos = buffer.size();
        return Step::Parsed;
    }
    const std::size_t end = dataEnd(buffer, valueAt, byteEnd, length);
    addField(open + 1, name.size(), valueAt, end - valueAt);
    m_pos = end;
    return Step::Parsed;
}

void AdifReader::addField(std::size_t nameAt, std::size_t nameSize, std::size_t valueAt,
                          std::size_t valueSize)
{
    if (m_recordDamaged)
        return; // nothing of a damaged record is kept
    char *name = m_buffer.data() + nameAt;
    std::transform(name, name + nameSize, name, Ascii::upper);
    // A second call in one record means an <EOR> is missing: which fields belong to which QSO
    // cannot be told.
    if (std::string_view(name, nameSize) == LogField::Call) {
        if (m_hasCall) {
            markDamaged();
            return;
        }
        m_hasCall = true;
    }
    if (m_fields.size() == m_limits.recordFields) {
        markDamaged();
        return;
    }
    m_fields.push_back({nameAt, nameSize, valueAt, valueSize});
    checkRecordSpan(valueAt + valueSize);
}

void AdifReader::checkRecordSpan(std::size_t end)
{
    if (!m_fields.empty() && end - (m_fields.front().nameAt - 1) > m_limits.recordBytes)
        markDamaged();
}

void AdifReader::endRecord()
{
    m_recordSeen = true;
    m_inHeaderText = false;
    if (m_recordDamaged)
        dropRecord();
    else if (!m_fields.empty())
        emit(false);
}

void AdifReader::endHeader()
{
    // After the first record, a stray <EOH> is text.
    if (m_recordSeen)
        return;
    m_recordSeen = true; // there is one header at most
    m_inHeaderText = false;
    if (m_recordDamaged) {
        m_recordDamaged = false;
        m_fields.clear();
        m_hasCall = false;
        return;
    }
    emit(true);
}

void AdifReader::markDamaged()
{
    m_recordDamaged = true;
    m_fields.clear();
    m_hasCall = false;
}

void AdifReader::dropRecord()
{
    ++m_damaged;
    m_recordDamaged = false;
    m_fields.clear();
    m_hasCall = false;
}

void AdifReader::emit(bool asHeader)
{
    m_views.clear();
    for (const FieldSpan &field : m_fields)
        m_views.push_back({std::string_view(m_buffer).substr(field.nameAt, field.nameSize),
                           std::string_view(m_buffer).substr(field.valueAt, field.valueSize)});
    m_fields.clear();
    m_hasCall = false;
    if (asHeader)
        m_sink.header(m_views);
    else
        deliver(m_sink, m_views);
}

void AdifReader::compact()
{
    // Everything before the open record (or before the parse position) is done with. It is
    // dropped once it is at least half the buffer, so that each byte is moved a bounded number
    // of times.
    const std::size_t keepFrom = m_fields.empty() ? m_pos : m_fields.front().nameAt - 1;
    if (keepFrom == 0 || keepFrom < m_buffer.size() - keepFrom)
        return;
    m_buffer.erase(0, keepFrom);
    m_pos -= keepFrom;
    for (FieldSpan &field : m_fields) {
        field.nameAt -= keepFrom;
        field.valueAt -= keepFrom;
    }
}
