#include "logbook/AdxReader.h"

#include "core/text/Ascii.h"
#include "core/text/Utf8.h"
#include "core/text/XmlReference.h"

#include <array>

namespace {

// Element and attribute names of ADX are field names; longer ones are cut to this for matching.
constexpr std::size_t MaxNameBytes = 256;
// "&#x10FFFF;" and the named entities fit easily.
constexpr std::size_t MaxReferenceBytes = 12;
// The XML declaration, as far as its encoding is looked for.
constexpr std::size_t MaxDeclarationBytes = 256;
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameStart(char c)
{
    return Ascii::isLetter(c) || c == '_' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

bool isNameChar(char c)
{
    return isNameStart(c) || Ascii::isDigit(c) || c == '-' || c == '.';
}

// windows-1252 from 0x80 to 0x9F; 0 where it has no character.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The value of encoding="…" in an XML declaration; empty when it names none.
std::string declaredEncoding(std::string_view declaration)
{
    const std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return {};
    std::size_t pos = declaration.find_first_not_of(" \t\r\n", at + 8);
    if (pos == std::string_view::npos || declaration[pos] != '=')
        return {};
    pos = declaration.find_first_not_of(" \t\r\n", pos + 1);
    if (pos == std::string_view::npos || (declaration[pos] != '"' && declaration[pos] != '\''))
        return {};
    const std::size_t end = declaration.find(declaration[pos], pos + 1);
    if (end == std::string_view::npos)
        return {};
    return Ascii::lowerText(declaration.substr(pos + 1, end - pos - 1));
}

} // namespace

AdxReader::AdxReader(LogSink &sink, const LogLimits &limits) : m_sink(sink), m_limits(limits) {}

void AdxReader::feed(std::string_view bytes)
{
    for (const char c : bytes) {
        // What follows the end of the log is not read.
        if (m_stopped || m_place == Place::After)
            return;
        if (c == '\n')
            ++m_line;
        if (static_cast<unsigned char>(c) < 0x20 && !isBlank(c))
            damageEntry("a control character");
        if (m_encoding == Encoding::Utf8 && m_lex != Lex::ByteOrderMark)
            checkEncoding(static_cast<unsigned char>(c));
        take(c);
    }
}

void AdxReader::finish()
{
    if (m_stopped)
        return;
    if (m_place == Place::Prolog && m_refusal.empty()) {
        refuse("it is XML, but holds no ADX element");
        return;
    }
    // A log cut off in the middle: the record that was being read is lost, the others stay,
    // but the log is not whole.
    if (m_place != Place::After)
        stop("the log ends before its end tag </ADX>");
    m_stopped = true;
}

std::size_t AdxReader::heldBytes() const
{
    std::size_t held = m_name.capacity() + m_markup.capacity() + m_reference.capacity() +
                       m_value.capacity() + m_programId.capacity() +
                       m_fieldNameAttribute.capacity() + m_fieldId.capacity() +
                       m_fieldName.capacity() + m_fieldText.capacity();
    for (const auto *strings : {&m_open, &m_names, &m_values}) {
        held += strings->capacity() * sizeof(std::string);
        for (const std::string &text : *strings)
            held += text.capacity();
    }
    return held;
}

void AdxReader::checkEncoding(unsigned char byte)
{
    if (m_utf8Needed > 0) {
        if (byte >= m_utf8Low && byte <= m_utf8High) {
            --m_utf8Needed;
            m_utf8Low = 0x80;
            m_utf8High = 0xBF;
            return;
        }
        m_utf8Needed = 0;
        m_utf8Low = 0x80;
        m_utf8High = 0xBF;
        damageEntry("a byte that is not UTF-8");
        // The byte may begin the next character.
    }
    if (byte < 0x80)
        return;
    if (byte >= 0xC2 && byte <= 0xDF) {
        m_utf8Needed = 1;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        m_utf8Needed = 2;
        m_utf8Low = byte == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        m_utf8High = byte == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        m_utf8Needed = 3;
        m_utf8Low = byte == 0xF0 ? 0x90 : 0x80;
        m_utf8High = byte == 0xF4 ? 0x8F : 0xBF; // nothing beyond U+10FFFF
    } else {
        damageEntry("a byte that is not UTF-8");
    }
}

void AdxReader::take(char c)
{
    switch (m_lex) {
    case Lex::ByteOrderMark:
        if (m_markBytes < ByteOrderMark.size() && c == ByteOrderMark[m_markBytes]) {
            ++m_markBytes;
            return;
        }
        m_lex = Lex::Text;
        if (m_encoding == Encoding::Utf8)
            checkEncoding(static_cast<unsigned char>(c));
        take(c);
        return;
    case Lex::Text:
        if (c == '<') {
            m_lex = Lex::Open;
        } else if (c == '&') {
            m_referenceContext = Lex::Text;
            m_reference.clear();
            m_lex = Lex::Reference;
        } else {
            textByte(c);
        }
        return;
    case Lex::Open:
        if (c == '/') {
            m_name.clear();
            m_lex = Lex::EndName;
        } else if (c == '!') {
            m_markup.clear();
            m_lex = Lex::Bang;
        } else if (c == '?') {
            m_markup.clear();
            m_questionMark = false;
            m_lex = Lex::Instruction;
        } else if (isNameStart(c)) {
            m_name.assign(1, c);
            m_attributes = 0;
            m_programId.clear();
            m_fieldNameAttribute.clear();
            m_fieldId.clear();
            m_lex = Lex::StartName;
        } else {
            stop("a '<' that begins no tag");
        }
        if (c != '?')
            m_atStart = false;
        return;
    case Lex::Bang: {
        m_markup += c;
        const std::string_view seen = m_markup;
        if (seen == "--") {
            m_run = 0;
            m_lex = Lex::Comment;
        } else if (seen == "[CDATA[") {
            m_run = 0;
            m_lex = Lex::CData;
        } else if (seen == "DOCTYPE") {
            m_quote = 0;
            m_doctypeDepth = 0;
            m_lex = Lex::Doctype;
        } else if (!std::string_view("--").starts_with(seen) &&
                   !std::string_view("[CDATA[").starts_with(seen) &&
                   !std::string_view("DOCTYPE").starts_with(seen)) {
            stop("markup that XML does not know");
        }
        return;
    }
    case Lex::Comment:
        if (c == '>' && m_run >= 2)
            m_lex = Lex::Text;
        m_run = c == '-' ? m_run + 1 : 0;
        return;
    case Lex::CData:
        if (c == ']') {
            if (m_run == 2)
                textByte(']'); // "]]]": the first is text
            else
                ++m_run;
            return;
        }
        if (c == '>' && m_run == 2) {
            m_lex = Lex::Text;
            return;
        }
        for (; m_run > 0; --m_run)
            textByte(']');
        textByte(c);
        return;
    case Lex::Doctype:
        // Declarations of its own are not read: a reference to one damages its record.
        if (m_quote != 0) {
            if (c == m_quote)
                m_quote = 0;
        } else if (c == '"' || c == '\'') {
            m_quote = c;
        } else if (c == '[') {
            ++m_doctypeDepth;
        } else if (c == ']') {
            --m_doctypeDepth;
        } else if (c == '>' && m_doctypeDepth <= 0) {
            m_lex = Lex::Text;
        }
        return;
    case Lex::Instruction:
        if (c == '>' && m_questionMark) {
            endInstruction();
            m_lex = Lex::Text;
            return;
        }
        m_questionMark = c == '?';
        if (m_atStart && m_markup.size() < MaxDeclarationBytes)
            m_markup += c;
        return;
    case Lex::StartName:
        if (isNameChar(c)) {
            if (m_name.size() < MaxNameBytes)
                m_name += c;
            else
                damage("a name longer than {} bytes", MaxNameBytes);
        } else if (isBlank(c)) {
            m_lex = Lex::InTag;
        } else if (c == '>') {
            m_lex = Lex::Text;
            startElement();
        } else if (c == '/') {
            m_lex = Lex::EmptyEnd;
        } else {
            stop("a character that no tag may hold");
        }
        return;
    case Lex::InTag:
        if (isBlank(c))
            return;
        if (c == '>') {
            m_lex = Lex::Text;
            startElement();
        } else if (c == '/') {
            m_lex = Lex::EmptyEnd;
        } else if (isNameStart(c)) {
            // Each attribute is looked at once and only three are kept: their number does not
            // change the time per byte, but an element with more than any ADX element has is
            // not a sound one.
            if (++m_attributes > m_limits.attributes)
                damage("an element with more than {} attributes", m_limits.attributes);
            m_markup.assign(1, c);
            m_lex = Lex::AttributeName;
        } else {
            stop("a character that no tag may hold");
        }
        return;
    case Lex::AttributeName:
        if (isNameChar(c)) {
            if (m_markup.size() < MaxNameBytes)
                m_markup += c;
        } else if (isBlank(c)) {
            m_lex = Lex::AfterAttributeName;
        } else if (c == '=') {
            m_lex = Lex::BeforeValue;
        } else {
            stop("a character that no attribute name may hold");
        }
        return;
    case Lex::AfterAttributeName:
        if (c == '=')
            m_lex = Lex::BeforeValue;
        else if (!isBlank(c))
            stop("an attribute without a value");
        return;
    case Lex::BeforeValue:
        if (c == '"' || c == '\'') {
            m_quote = c;
            m_value.clear();
            m_wanted = Ascii::equalIgnoringCase(m_markup, "PROGRAMID")   ? Wanted::ProgramId
                       : Ascii::equalIgnoringCase(m_markup, "FIELDNAME") ? Wanted::FieldName
                       : Ascii::equalIgnoringCase(m_markup, "FIELDID")   ? Wanted::FieldId
                                                                         : Wanted::None;
            m_lex = Lex::Value;
        } else if (!isBlank(c)) {
            stop("an attribute value without quotes");
        }
        return;
    case Lex::Value:
        if (c == m_quote) {
            std::string *kept = m_wanted == Wanted::ProgramId   ? &m_programId
                                : m_wanted == Wanted::FieldName ? &m_fieldNameAttribute
                                : m_wanted == Wanted::FieldId   ? &m_fieldId
                                                                : nullptr;
            if (kept != nullptr)
                kept->swap(m_value);
            m_lex = Lex::InTag;
        } else if (c == '<') {
            stop("a '<' in an attribute value");
        } else if (c == '&') {
            m_referenceContext = Lex::Value;
            m_reference.clear();
            m_lex = Lex::Reference;
        } else {
            valueByte(c);
        }
        return;
    case Lex::EmptyEnd:
        if (c != '>') {
            stop("a '/' inside a tag");
            return;
        }
        m_lex = Lex::Text;
        startElement();
        if (!m_stopped)
            endElement();
        return;
    case Lex::EndName:
        if (isNameChar(c) || (m_name.empty() && isNameStart(c))) {
            if (m_name.size() < MaxNameBytes)
                m_name += c;
        } else if (isBlank(c)) {
            m_lex = Lex::AfterEndName;
        } else if (c == '>') {
            m_lex = Lex::Text;
            endElement();
        } else {
            stop("a character that no end tag may hold");
        }
        return;
    case Lex::AfterEndName:
        if (c == '>') {
            m_lex = Lex::Text;
            endElement();
        } else if (!isBlank(c)) {
            stop("a character that no end tag may hold");
        }
        return;
    case Lex::Reference:
        if (c == ';') {
            m_lex = m_referenceContext;
            resolveReference();
        } else if (m_reference.size() < MaxReferenceBytes && (isNameChar(c) || c == '#') &&
                   c != ':') {
            m_reference += c;
        } else {
            damage("a broken entity reference");
            m_lex = m_referenceContext;
            take(c);
        }
        return;
    }
}

void AdxReader::textByte(char c)
{
    if (m_place == Place::Prolog && !isBlank(c)) {
        m_atStart = false;
        stop("text before the first element");
        return;
    }
    if (!m_inField || m_entryDamaged)
        return;
    appendDecoded(m_fieldText, c);
    if (m_fieldText.size() > m_limits.fieldBytes)
        damage("a field longer than {} bytes", m_limits.fieldBytes);
}

void AdxReader::valueByte(char c)
{
    if (m_wanted == Wanted::None)
        return;
    if (m_value.size() < MaxNameBytes)
        appendDecoded(m_value, c);
    else
        damage("an attribute value longer than {} bytes", MaxNameBytes);
}

void AdxReader::appendDecoded(std::string &text, char c) const
{
    const auto byte = static_cast<unsigned char>(c);
    if (m_encoding == Encoding::Utf8 || byte < 0x80) {
        text += c;
    } else if (m_encoding == Encoding::Windows1252 && byte < 0xA0 &&
               Windows1252High[byte - 0x80] != 0) {
        appendUtf8(text, Windows1252High[byte - 0x80]);
    } else {
        appendUtf8(text, byte);
    }
}

void AdxReader::resolveReference()
{
    const char32_t code = xmlReferencedCharacter(m_reference);
    if (code == 0) {
        damage("the unknown entity &" + logExcerpt(m_reference) + ";");
        return;
    }
    if (m_referenceContext == Lex::Value) {
        if (m_wanted != Wanted::None && m_value.size() < MaxNameBytes)
            appendUtf8(m_value, code);
        return;
    }
    if (m_place == Place::Prolog) {
        stop("text before the first element");
        return;
    }
    if (!m_inField || m_entryDamaged)
        return;
    appendUtf8(m_fieldText, code);
    if (m_fieldText.size() > m_limits.fieldBytes)
        damage("a field longer than {} bytes", m_limits.fieldBytes);
}

void AdxReader::endInstruction()
{
    if (!m_atStart)
        return;
    m_atStart = false;
    if (!Ascii::startsWithIgnoringCase(m_markup, "xml") || m_markup.size() < 4 ||
        !isBlank(m_markup[3]))
        return;
    const std::string encoding = declaredEncoding(m_markup);
    if (encoding.empty() || encoding == "utf-8" || encoding == "utf8")
        return;
    if (m_markBytes > 0) {
        refuse("it begins as UTF-8 but says it is " + logExcerpt(encoding));
    } else if (encoding == "iso-8859-1" || encoding == "latin1" || encoding == "latin-1" ||
               encoding == "us-ascii" || encoding == "ascii") {
        m_encoding = Encoding::Latin1;
    } else if (encoding == "windows-1252" || encoding == "cp1252") {
        m_encoding = Encoding::Windows1252;
    } else {
        refuse("it is in the encoding " + logExcerpt(encoding) +
               ", which Vorn does not read; save the log as UTF-8");
    }
}

bool AdxReader::inEntry() const
{
    return m_place == Place::Header || m_place == Place::Record;
}

void AdxReader::startElement()
{
    m_atStart = false;
    if (m_place == Place::After)
        return;
    const std::string name = Ascii::upperText(m_name);
    ++m_depth;
    if (m_open.size() < m_limits.nesting)
        m_open.push_back(m_name);
    else
        damage("elements nested more than {} deep", m_limits.nesting);
    if (m_stopped)
        return;

    if (m_place == Place::Prolog) {
        if (name != "ADX") {
            refuse("it is XML, but not an ADX log (its first element is <" + logExcerpt(m_name) +
                   ">)");
            return;
        }
        m_place = Place::Outside;
        return;
    }
    if (m_inField) {
        ++m_fieldNesting; // ADX fields hold text only; anything inside is read as text
        return;
    }
    switch (m_place) {
    case Place::Outside:
        if (name == "HEADER") {
            m_place = Place::Header;
        } else if (name == "RECORDS") {
            m_place = Place::Records;
        }
        break;
    case Place::Records:
        if (name == "RECORD")
            m_place = Place::Record;
        break;
    case Place::Header:
    case Place::Record:
        startField();
        break;
    case Place::Prolog:
    case Place::After:
        break;
    }
}

void AdxReader::startField()
{
    m_inField = true;
    m_fieldNesting = 0;
    m_fieldText.clear();
    if (m_entryDamaged)
        return;
    const std::string element = Ascii::upperText(m_name);
    if (element == "APP")
        m_fieldName =
            "APP_" + Ascii::upperText(m_programId) + '_' + Ascii::upperText(m_fieldNameAttribute);
    else if (element == "USERDEF")
        m_fieldName = m_place == Place::Header ? "USERDEF" + Ascii::upperText(m_fieldId)
                                               : Ascii::upperText(m_fieldNameAttribute);
    else
        m_fieldName = element;
}

void AdxReader::endElement()
{
    if (m_place == Place::After)
        return;
    if (m_depth == 0) {
        stop("the end tag </" + logExcerpt(m_name) + "> closes no element");
        return;
    }
    if (m_depth <= m_limits.nesting) {
        if (m_open.back() != m_name) {
            stop("the end tag </" + logExcerpt(m_name) + "> closes <" + logExcerpt(m_open.back()) +
                 ">");
            return;
        }
        m_open.pop_back();
    }
    --m_depth;
    if (m_depth == 0) {
        m_place = Place::After; // what follows the log is not read
        return;
    }
    if (m_inField) {
        if (m_fieldNesting > 0) {
            --m_fieldNesting;
            return;
        }
        endField();
        return;
    }
    if (m_place == Place::Records) {
        m_place = Place::Outside;
        return;
    }
    if (inEntry())
        endEntry();
}

void AdxReader::endField()
{
    m_inField = false;
    if (m_entryDamaged)
        return;
    m_entryBytes += m_fieldName.size() + m_fieldText.size();
    if (m_names.size() == m_limits.recordFields || m_entryBytes > m_limits.recordBytes) {
        damage("a record larger than Vorn reads");
        return;
    }
    m_names.push_back(m_fieldName);
    m_values.push_back(m_fieldText);
}

void AdxReader::endEntry()
{
    const bool header = m_place == Place::Header;
    if (m_entryDamaged) {
        ++m_damaged;
    } else {
        std::vector<LogFieldView> fields;
        fields.reserve(m_names.size());
        for (std::size_t i = 0; i < m_names.size(); ++i)
            fields.push_back({m_names[i], m_values[i]});
        if (!header)
            deliver(m_sink, fields);
        else if (!m_headerOrRecordSeen) // the first header counts; a later one is no header
            m_sink.header(fields);
    }
    m_place = header ? Place::Outside : Place::Records;
    m_headerOrRecordSeen = true;
    m_entryDamaged = false;
    m_entryBytes = 0;
    m_names.clear();
    m_values.clear();
}

void AdxReader::damageEntry(std::string_view reason)
{
    // Between records a bad byte spoils nothing that is kept.
    if (inEntry())
        damage(reason);
}

void AdxReader::damage(std::string_view reason, std::size_t limit)
{
    if (!inEntry()) {
        // Outside a record nothing can be passed over: the log is broken there.
        std::string text(reason);
        if (const std::size_t at = text.find("{}"); at != std::string::npos)
            text.replace(at, 2, std::to_string(limit));
        stop(text);
        return;
    }
    if (m_entryDamaged)
        return;
    m_entryDamaged = true;
    m_names.clear();
    m_values.clear();
    m_fieldText.clear();
}

void AdxReader::stop(const std::string &reason)
{
    if (m_stopped)
        return;
    m_stopped = true;
    if (inEntry())
        ++m_damaged;
    m_error = "XML error in line " + std::to_string(m_line) + ": " + reason;
}

void AdxReader::refuse(const std::string &reason)
{
    m_stopped = true;
    m_refusal = reason;
}
