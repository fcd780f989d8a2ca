#pragma once

#include "logbook/LogReader.h"

#include <string>
#include <vector>

// ADIF in its XML form: <ADX><HEADER>…</HEADER><RECORDS><RECORD><CALL>…</CALL>…</RECORD>…
// Application fields become APP_<program>_<name> and user-defined ones take their own name, as
// in ADIF text.
//
// A small XML reader of its own that takes one byte at a time: its time is linear and it holds
// no more than one record, whatever the input. An encoding error, an unknown entity, or a
// field, record, element or attribute list beyond the limits damages the record it stands in;
// reading goes on. Markup that is not well-formed stops the read (error()), and XML that is not
// ADX, or is in an encoding other than UTF-8, ISO-8859-1 or windows-1252, is refused
// (refusal()).
class AdxReader final : public LogFormatReader
{
public:
    AdxReader(LogSink &sink, const LogLimits &limits);

    void feed(std::string_view bytes) override;
    void finish() override;
    std::size_t heldBytes() const override;

private:
    enum class Lex {
        ByteOrderMark,
        Text,
        Open,
        Bang,
        Comment,
        CData,
        Doctype,
        Instruction,
        StartName,
        InTag,
        AttributeName,
        AfterAttributeName,
        BeforeValue,
        Value,
        EmptyEnd,
        EndName,
        AfterEndName,
        Reference,
    };
    enum class Place { Prolog, Outside, Header, Records, Record, After };
    enum class Encoding { Utf8, Latin1, Windows1252 };
    // The attributes that name fields; all others are passed over.
    enum class Wanted { None, ProgramId, FieldName, FieldId };

    void take(char c);
    void checkEncoding(unsigned char byte);
    void textByte(char c);
    void valueByte(char c);
    void appendDecoded(std::string &text, char c) const;
    void resolveReference();
    void endInstruction();
    void startElement();
    void endElement();
    void startField();
    void endField();
    void endEntry();
    bool inEntry() const;
    // Damages the entry being read; outside one, damage() stops the read, damageEntry() lets
    // it go on.
    // A "{}" in the reason stands for the limit.
    void damage(std::string_view reason, std::size_t limit = 0);
    void damageEntry(std::string_view reason);
    void stop(const std::string &reason);
    void refuse(const std::string &reason);

    LogSink &m_sink;
    LogLimits m_limits;
    Lex m_lex = Lex::ByteOrderMark;
    Lex m_referenceContext = Lex::Text;
    Place m_place = Place::Prolog;
    Encoding m_encoding = Encoding::Utf8;
    bool m_stopped = false;
    bool m_atStart = true; // nothing but a byte-order mark read yet
    std::size_t m_line = 1;
    std::size_t m_markBytes = 0;  // of the byte-order mark
    std::size_t m_utf8Needed = 0; // continuation bytes still due
    unsigned char m_utf8Low = 0x80;
    unsigned char m_utf8High = 0xBF;

    std::string m_name;      // of the tag being read
    std::string m_markup;    // after "<!", or the XML declaration
    std::string m_reference; // between '&' and ';'
    std::size_t m_run = 0;   // dashes before '>' of a comment, brackets of a CDATA end
    char m_quote = 0;
    int m_doctypeDepth = 0;
    bool m_questionMark = false; // the last byte of an instruction was '?'
    std::size_t m_attributes = 0;
    Wanted m_wanted = Wanted::None;
    std::string m_value; // of a wanted attribute
    std::string m_programId;
    std::string m_fieldNameAttribute;
    std::string m_fieldId;

    std::vector<std::string> m_open; // names of the open elements, up to the nesting limit
    std::size_t m_depth = 0;
    bool m_inField = false;
    std::size_t m_fieldNesting = 0; // elements inside a field
    std::string m_fieldName;
    std::string m_fieldText;
    std::vector<std::string> m_names;  // of the entry being read
    std::vector<std::string> m_values; // the same, UTF-8
    std::size_t m_entryBytes = 0;
    bool m_entryDamaged = false;
    bool m_headerOrRecordSeen = false;
};
