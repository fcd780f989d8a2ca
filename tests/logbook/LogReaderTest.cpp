// The log readers on the shapes that real logs come in, fed whole and in small pieces.

#include "logbook/LogReader.h"

#include <gtest/gtest.h>

namespace {

// Writes each entry as "NAME=data NAME=data", the header with a leading "header:".
struct Recorder final : LogSink
{
    std::vector<std::string> entries;

    static std::string line(LogFields fields)
    {
        std::string text;
        for (const LogFieldView &field : fields)
            text += (text.empty() ? "" : " ") + std::string(field.name) + '=' +
                    std::string(field.value);
        return text;
    }
    void header(LogFields fields) override { entries.push_back("header:" + line(fields)); }
    void record(LogFields fields) override { entries.push_back(line(fields)); }
};

struct ReadCase
{
    const char *name;
    LogFormat format;
    std::string input;
    std::vector<std::string> entries;
    std::size_t damaged = 0;
    LogLimits limits = {};
};

// Limits small enough to reach with a few bytes.
constexpr LogLimits Small{.fieldBytes = 8,
                          .recordBytes = 64,
                          .recordFields = 4,
                          .attributes = 2,
                          .nesting = 4,
                          .wordBytes = 10};

void PrintTo(const ReadCase &c, std::ostream *out)
{
    *out << c.name;
}

struct Read
{
    std::vector<std::string> entries;
    std::size_t damaged;
    std::string error;
};

// Feeds the input in pieces of `piece` bytes (0: all at once).
Read read(LogFormat format, std::string_view input, std::size_t piece, const LogLimits &limits = {})
{
    Recorder recorder;
    auto reader = makeLogReader(format, recorder, limits);
    if (piece == 0)
        piece = input.size() + 1;
    for (std::size_t at = 0; at < input.size(); at += piece)
        reader->feed(input.substr(at, piece));
    reader->finish();
    return {recorder.entries, reader->damagedRecords(), reader->error()};
}

class LogReaderTest : public testing::TestWithParam<ReadCase>
{
};

TEST_P(LogReaderTest, readsEveryEntryWhateverThePieces)
{
    const ReadCase &c = GetParam();
    for (const std::size_t piece : {0, 1, 2, 3, 5, 7, 64}) {
        SCOPED_TRACE("pieces of " + std::to_string(piece));
        const Read got = read(c.format, c.input, piece, c.limits);
        EXPECT_EQ(got.entries, c.entries);
        EXPECT_EQ(got.damaged, c.damaged);
    }
}

const std::string Jorg = "J\xC3\xB6rg"; // four characters, five bytes of UTF-8

INSTANTIATE_TEST_SUITE_P(
    Adif, LogReaderTest,
    testing::Values(
        ReadCase{"header_and_lf",
                 LogFormat::Adif,
                 "Exported by a logger <http://example.org>\n<ADIF_VER:5>3.1.4\n<eoh>\n"
                 "<CALL:6>DL1ABC <BAND:3>20M <EOR>\n<CALL:4>W1AW<EOR>\n",
                 {"header:ADIF_VER=3.1.4", "CALL=DL1ABC BAND=20M", "CALL=W1AW"}},
        ReadCase{"no_header_crlf_mixed_case_and_types",
                 LogFormat::Adif,
                 "<call:6:s>dl1abc\r\n<Qsl_Sent:1:S>Q\r\n<eor>\r\n<Call:4>W1AW<EoR>\r\n",
                 {"CALL=dl1abc QSL_SENT=Q", "CALL=W1AW"}},
        ReadCase{"header_of_fields_only",
                 LogFormat::Adif,
                 "<ADIF_VER:5>3.1.4<PROGRAMID:4>Test<EOH><CALL:4>W1AW<EOR>",
                 {"header:ADIF_VER=3.1.4 PROGRAMID=Test", "CALL=W1AW"}},
        ReadCase{"utf8_name_length_in_bytes",
                 LogFormat::Adif,
                 "<NAME:5>" + Jorg + "<CALL:6>DL1ABC<EOR><NAME:5>" + Jorg + "\r\n<CALL:4>W1AW<EOR>",
                 {"NAME=" + Jorg + " CALL=DL1ABC", "NAME=" + Jorg + " CALL=W1AW"}},
        ReadCase{"utf8_name_length_in_characters",
                 LogFormat::Adif,
                 "<NAME:4>" + Jorg + "<CALL:6>DL1ABC<EOR><NAME:4>" + Jorg + " <CALL:4>W1AW<EOR>",
                 {"NAME=" + Jorg + " CALL=DL1ABC", "NAME=" + Jorg + " CALL=W1AW"}},
        ReadCase{"latin1_name",
                 LogFormat::Adif,
                 "<NAME:4>J\xF6rg<CALL:6>DL1ABC<EOR>",
                 {"NAME=J\xF6rg CALL=DL1ABC"}},
        ReadCase{"truncated_last_record",
                 LogFormat::Adif,
                 "<CALL:6>DL1ABC<EOR>\n<CALL:6>DL2XYZ<BAND:3>20",
                 {"CALL=DL1ABC"},
                 1},
        ReadCase{"truncated_inside_a_tag",
                 LogFormat::Adif,
                 "<CALL:6>DL1ABC<EOR>\n<CALL:6>DL2XYZ<BAN",
                 {"CALL=DL1ABC"},
                 1},
        ReadCase{"missing_last_eor",
                 LogFormat::Adif,
                 "<CALL:6>DL1ABC<EOR>\n<CALL:6>DL2XYZ <BAND:3>20M\n",
                 {"CALL=DL1ABC", "CALL=DL2XYZ BAND=20M"}},
        ReadCase{"garbage_between_records",
                 LogFormat::Adif,
                 "<CALL:6>DL1ABC<EOR>\n--- page 2 --- <br> a < b > c <<\n<CALL:4>W1AW<EOR>junk",
                 {"CALL=DL1ABC", "CALL=W1AW"}},
        ReadCase{"broken_length_loses_its_record_only",
                 LogFormat::Adif,
                 "<CALL:6>DL1ABC<BAND:x>20M<EOR><CALL:4>W1AW<EOR>",
                 {"CALL=W1AW"},
                 1},
        ReadCase{"missing_eor_inside_the_log",
                 LogFormat::Adif,
                 "<CALL:6>DL1ABC<BAND:3>20M<CALL:4>W1AW<EOR><CALL:5>K4ABC<EOR>",
                 {"CALL=K4ABC"},
                 1},
        ReadCase{"zero_length_and_lone_eors",
                 LogFormat::Adif,
                 "<EOR><CALL:6>DL1ABC<COMMENT:0><EOR><EOR>",
                 {"CALL=DL1ABC COMMENT="}},
        ReadCase{"end_marks_with_a_length",
                 LogFormat::Adif,
                 "<PROGRAMID:1>X<EOH:0><CALL:4>W1AW<EOR:0>\n<CALL:5>K4ABC<eor:0:s>",
                 {"header:PROGRAMID=X", "CALL=W1AW", "CALL=K4ABC"}}),
    [](const auto &named) { return std::string(named.param.name); });

INSTANTIATE_TEST_SUITE_P(
    AdxAndCallList, LogReaderTest,
    testing::Values(
        ReadCase{
            "adx",
            LogFormat::Adx,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ADX><HEADER><ADIF_VER>3.1.4</ADIF_VER>"
            "<USERDEF FIELDID=\"1\" TYPE=\"N\">EPC</USERDEF></HEADER>\n<RECORDS>\n"
            "<RECORD><NAME>" +
                Jorg +
                "</NAME><call>DL1ABC</call><QSL_VIA>via &amp; mgr"
                "</QSL_VIA><APP PROGRAMID=\"Lg\" FIELDNAME=\"Id\" TYPE=\"N\">7</APP>"
                "<USERDEF FIELDNAME=\"epc\">12</USERDEF></RECORD>\n"
                "<RECORD><CALL>W1AW</CALL></RECORD></RECORDS></ADX>\n",
            {"header:ADIF_VER=3.1.4 USERDEF1=EPC",
             "NAME=" + Jorg + " CALL=DL1ABC QSL_VIA=via & mgr APP_LG_ID=7 EPC=12", "CALL=W1AW"}},
        ReadCase{"adx_cut_off",
                 LogFormat::Adx,
                 "<ADX><RECORDS><RECORD><CALL>W1AW</CALL></RECORD><RECORD><CALL>DL1",
                 {"CALL=W1AW"},
                 1},
        // Found by fuzzing: only the first header is one.
        ReadCase{"adx_second_header",
                 LogFormat::Adx,
                 "<ADX><HEADER><A>1</A></HEADER><HEADER><B>2</B></HEADER><RECORDS><RECORD><CALL>"
                 "W1AW</CALL></RECORD></RECORDS><HEADER><C>3</C></HEADER></ADX>",
                 {"header:A=1", "CALL=W1AW"}},
        ReadCase{"call_list",
                 LogFormat::CallList,
                 "dl1abc, W1AW;\n\tK4XYZ  \r\n,,G0ABC",
                 {"CALL=dl1abc", "CALL=W1AW", "CALL=K4XYZ", "CALL=G0ABC"}}),
    [](const auto &named) { return std::string(named.param.name); });

const std::string AdxRecords = "<?xml version=\"1.0\"?>\n<ADX><RECORDS>\n";
const std::string AdxEnd = "</RECORDS></ADX>\n";

std::string adxRecord(const std::string &fields)
{
    return "<RECORD>" + fields + "</RECORD>\n";
}

// A damaged record is counted and passed over; the records around it are read.
INSTANTIATE_TEST_SUITE_P(
    Damage, LogReaderTest,
    testing::Values(
        ReadCase{"adif_first_tag_with_a_negative_length",
                 LogFormat::Adif,
                 "<CALL:-6>DL1ABC<BAND:3>20M<EOR><CALL:4>W1AW<EOR>",
                 {"CALL=W1AW"},
                 1},
        ReadCase{"adif_first_tag_with_letters_for_a_length",
                 LogFormat::Adif,
                 "<CALL:4>K1AB<EOR>\r\n<CALL:abc>DL1ABC<EOR>\r\n<CALL:4>W1AW<EOR>",
                 {"CALL=K1AB", "CALL=W1AW"},
                 1},
        ReadCase{"adif_broken_tag_in_header_text_is_text",
                 LogFormat::Adif,
                 "Log <see:here> of <url:http://x>\n<ADIF_VER:5>3.1.4<EOH><CALL:4>W1AW<EOR>",
                 {"header:ADIF_VER=3.1.4", "CALL=W1AW"}},
        ReadCase{"adif_call_with_a_blank_inside",
                 LogFormat::Adif,
                 "<CALL:7>DL1 ABC<EOR><CALL:8> W1AW \r\n<EOR>",
                 {"CALL= W1AW \r\n"},
                 1},
        ReadCase{"adif_call_with_angle_brackets_or_control_characters",
                 LogFormat::Adif,
                 "<CALL:5>a<b>c<EOR><CALL:6>DL\x01"
                 "ABC<EOR><CALL:4>W1AW<EOR>",
                 {"CALL=W1AW"},
                 2},
        ReadCase{"adif_field_beyond_the_limit_is_passed_over_by_its_length",
                 LogFormat::Adif,
                 "<CALL:4>W1AW<NOTES:12>ab<EOR>cdefg<EOR><CALL:4>K1AB<EOR>",
                 {"CALL=K1AB"},
                 1,
                 Small},
        ReadCase{"adif_field_at_the_limit_is_read",
                 LogFormat::Adif,
                 "<CALL:4>W1AW<NOTES:8>12345678<EOR><CALL:4>K1AB<NOTES:9>123456789<EOR>",
                 {"CALL=W1AW NOTES=12345678"},
                 1,
                 Small},
        ReadCase{"adif_length_of_the_whole_input",
                 LogFormat::Adif,
                 "<CALL:4>K1AB<EOR><CALL:999999999>DL1ABC<EOR><CALL:4>W1AW<EOR>",
                 {"CALL=K1AB"},
                 1},
        // A length has nine digits at most, leading zeros included.
        ReadCase{"adif_length_of_ten_digits",
                 LogFormat::Adif,
                 "<CALL:000000004>K1AB<EOR><CALL:1000000000>DL1ABC<EOR><CALL:0000000004>W1AW<EOR>"
                 "<CALL:4>G0AB<EOR>",
                 {"CALL=K1AB", "CALL=G0AB"},
                 2},
        ReadCase{"adif_record_without_eor_beyond_the_limit",
                 LogFormat::Adif,
                 "<CALL:4>W1AW<A:3>20M<B:3>20M<C:3>20M\n just text, and more text, and more\n"
                 "<EOR><CALL:4>K1AB<EOR>",
                 {"CALL=K1AB"},
                 1,
                 Small},
        ReadCase{"adif_record_at_the_limit_is_read",
                 LogFormat::Adif,
                 "<CALL:4>W1AW<A:8>12345678<B:8>12345678<C:8>12345678" + std::string(13, ' ') +
                     "<EOR><CALL:4>K1AB<A:8>12345678<B:8>12345678<C:8>12345678" +
                     std::string(14, ' ') + "<EOR>",
                 {"CALL=W1AW A=12345678 B=12345678 C=12345678"},
                 1,
                 Small},
        ReadCase{"adif_call_of_32_characters_is_read",
                 LogFormat::Adif,
                 "<CALL:32>DL1ABC" + std::string(26, 'X') + "<EOR><CALL:33>DL1ABC" +
                     std::string(27, 'X') + "<EOR>",
                 {"CALL=DL1ABC" + std::string(26, 'X')},
                 1},
        // A '<' with no '>' within 96 bytes is text, not a tag.
        ReadCase{"adif_tag_of_96_bytes_is_a_tag",
                 LogFormat::Adif,
                 "<CALL:4>W1AW<" + std::string(93, 'X') + ":1>Y<EOR><CALL:4>K1AB<" +
                     std::string(94, 'X') + ":1>Y<EOR>",
                 {"CALL=W1AW " + std::string(93, 'X') + "=Y", "CALL=K1AB"}},
        ReadCase{"adif_more_fields_than_the_limit",
                 LogFormat::Adif,
                 "<CALL:4>W1AW<A:1>1<B:1>2<C:1>3<D:1>4<EOR><CALL:4>K1AB<A:1>1<EOR>",
                 {"CALL=K1AB A=1"},
                 1,
                 Small},
        ReadCase{"call_list_word_at_the_limit_is_read",
                 LogFormat::CallList,
                 "DL1ABCDEFG DL1ABCDEFGH",
                 {"CALL=DL1ABCDEFG"},
                 1,
                 Small},
        ReadCase{"call_list_word_beyond_the_limit_or_no_call",
                 LogFormat::CallList,
                 "DL1ABC W1AWXXXXXXXXXXXXXXX,<script> K1AB",
                 {"CALL=DL1ABC", "CALL=K1AB"},
                 2,
                 Small},
        ReadCase{"adx_byte_that_is_not_utf8",
                 LogFormat::Adx,
                 AdxRecords + adxRecord("<CALL>W1AW</CALL>") +
                     adxRecord("<CALL>DL1ABC</CALL><NAME>J\xF6rg</NAME>") +
                     adxRecord("<CALL>K1AB</CALL>") + AdxEnd,
                 {"CALL=W1AW", "CALL=K1AB"},
                 1},
        ReadCase{"adx_overlong_surrogate_or_cut_sequences",
                 LogFormat::Adx,
                 AdxRecords + adxRecord("<CALL>W1AW</CALL><A>\xC0\xAF</A>") +
                     adxRecord("<CALL>W1AW</CALL><A>\xED\xA0\x80</A>") +
                     adxRecord("<CALL>W1AW</CALL><A>\xE2\x82</A>") +
                     adxRecord("<CALL>W1AW</CALL><A>\xF4\x90\x80\x80</A>") +
                     adxRecord("<CALL>K1AB</CALL><A>\xE2\x82\xAC \xF0\x9F\x93\xBB</A>") + AdxEnd,
                 {"CALL=K1AB A=\xE2\x82\xAC \xF0\x9F\x93\xBB"},
                 4},
        ReadCase{"adx_bad_byte_between_records_spoils_nothing",
                 LogFormat::Adx,
                 AdxRecords + adxRecord("<CALL>W1AW</CALL>") + "\xFF\n" +
                     adxRecord("<CALL>K1AB</CALL>") + AdxEnd,
                 {"CALL=W1AW", "CALL=K1AB"}},
        ReadCase{"adx_unknown_entity",
                 LogFormat::Adx,
                 AdxRecords + adxRecord("<CALL>W1AW&x;</CALL>") +
                     adxRecord("<CALL>K1AB&#0;</CALL>") + adxRecord("<CALL>DL1&amp</CALL>") +
                     adxRecord("<CALL>G0ABC</CALL>") + AdxEnd,
                 {"CALL=G0ABC"},
                 3},
        ReadCase{"adx_more_attributes_than_the_limit",
                 LogFormat::Adx,
                 AdxRecords + adxRecord("<CALL a='1' b='2' c='3'>W1AW</CALL>") +
                     adxRecord("<CALL a='1' b=\"2\">K1AB</CALL>") + AdxEnd,
                 {"CALL=K1AB"},
                 1,
                 Small},
        ReadCase{"adx_nested_deeper_than_the_limit",
                 LogFormat::Adx,
                 AdxRecords + adxRecord("<CALL>W1<X>AW</X></CALL>") +
                     adxRecord("<CALL>K1AB</CALL>") + AdxEnd,
                 {"CALL=K1AB"},
                 1,
                 Small},
        ReadCase{"adx_field_and_record_beyond_the_limits",
                 LogFormat::Adx,
                 AdxRecords + adxRecord("<CALL>W1AW</CALL><NOTES>123456789</NOTES>") +
                     adxRecord("<CALL>W1AW</CALL><A>1</A><B>2</B><C>3</C><D>4</D>") +
                     adxRecord("<CALL>K1AB</CALL><NOTES>12345678</NOTES>") + AdxEnd,
                 {"CALL=K1AB NOTES=12345678"},
                 2,
                 Small}),
    [](const auto &named) { return std::string(named.param.name); });

INSTANTIATE_TEST_SUITE_P(
    AdxMarkup, LogReaderTest,
    testing::Values(
        ReadCase{"comments_cdata_references_and_empty_elements",
                 LogFormat::Adx,
                 "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?>\n"
                 "<!DOCTYPE adx [<!ENTITY x 'y>'>]><!-- a -- comment --><ADX><RECORDS>"
                 "<RECORD><CALL><![CDATA[W1]]>AW</CALL><NAME>A&#x42;&#67;&lt;&gt;&quot;&apos;"
                 "</NAME><QTH/><NOTES><![CDATA[a]]]></NOTES><?pi x?><!-- <CALL>K1AB</CALL> -->"
                 "</RECORD ></RECORDS></ADX>trailing <junk",
                 {"CALL=W1AW NAME=ABC<>\"' QTH= NOTES=a]"}},
        ReadCase{"latin1_declared",
                 LogFormat::Adx,
                 "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><ADX><RECORDS><RECORD><CALL>"
                 "DL1ABC</CALL><NAME>J\xF6rg</NAME></RECORD></RECORDS></ADX>",
                 {"CALL=DL1ABC NAME=" + Jorg}},
        ReadCase{"windows_1252_declared",
                 LogFormat::Adx,
                 "<?xml version=\"1.0\" encoding=\"windows-1252\"?><ADX><RECORDS><RECORD><CALL>"
                 "DL1ABC</CALL><FEE>5\x80</FEE></RECORD></RECORDS></ADX>",
                 {"CALL=DL1ABC FEE=5\xE2\x82\xAC"}}),
    [](const auto &named) { return std::string(named.param.name); });

// The readers' own limits, as the README and vorn-sort(1) give them: a part of a log at the limit
// is read, one byte, field, attribute or level more damages its record. Fed whole: the table
// above shows that the pieces change nothing.
TEST(LogLimits, partsAtTheLimitsAreReadAndBeyondThemAreNot)
{
    const std::string mebibyte(1 << 20, 'x');
    // A record whose names and data, from its first '<' up to its <EOR>, take `bytes` bytes.
    const auto record = [&mebibyte](std::size_t bytes) {
        std::string text = "<CALL:4>W1AW";
        for (const char *name : {"A", "B", "C"})
            text += "<" + std::string(name) + ":1048576>" + mebibyte;
        return text + std::string(bytes - text.size(), ' ') + "<EOR>";
    };
    const auto fields = [](std::size_t count) {
        std::string text = "<CALL:4>W1AW";
        for (std::size_t i = 1; i < count; ++i)
            text += "<F:1>x";
        return text + "<EOR>";
    };
    const auto attributes = [](std::size_t count) {
        std::string text = "<CALL";
        for (std::size_t i = 0; i < count; ++i)
            text += " a" + std::to_string(i) + "='1'";
        return adxRecord(text + ">W1AW</CALL>");
    };
    // <ADX><RECORDS><RECORD><CALL> are four levels; the rest lie inside the call.
    const auto nested = [](std::size_t levels) {
        std::string open, close;
        for (std::size_t level = 4; level < levels; ++level) {
            open += "<N>";
            close += "</N>";
        }
        return adxRecord("<CALL>" + open + "W1AW" + close + "</CALL>");
    };
    struct Row
    {
        const char *name;
        LogFormat format;
        std::string input;
        std::size_t records;
        std::size_t damaged;
    };
    const Row rows[] = {
        {"field of 1 MiB", LogFormat::Adif, "<CALL:4>W1AW<A:1048576>" + mebibyte + "<EOR>", 1, 0},
        {"field of 1 MiB and a byte", LogFormat::Adif,
         "<CALL:4>W1AW<A:1048577>" + mebibyte + "x<EOR>", 0, 1},
        {"record of 4 MiB", LogFormat::Adif, record(4 << 20), 1, 0},
        {"record of 4 MiB and a byte", LogFormat::Adif, record((4 << 20) + 1), 0, 1},
        {"1,000 fields", LogFormat::Adif, fields(1000), 1, 0},
        {"1,001 fields", LogFormat::Adif, fields(1001), 0, 1},
        {"64 attributes", LogFormat::Adx, AdxRecords + attributes(64) + AdxEnd, 1, 0},
        {"65 attributes", LogFormat::Adx, AdxRecords + attributes(65) + AdxEnd, 0, 1},
        {"16 levels", LogFormat::Adx, AdxRecords + nested(16) + AdxEnd, 1, 0},
        {"17 levels", LogFormat::Adx, AdxRecords + nested(17) + AdxEnd, 0, 1},
    };
    for (const Row &row : rows) {
        const Read got = read(row.format, row.input, 0);
        EXPECT_EQ(got.entries.size(), row.records) << row.name;
        EXPECT_EQ(got.damaged, row.damaged) << row.name;
    }
}

// Where the markup itself is broken, reading stops there, and says where and why.
TEST(AdxReader, brokenMarkupStopsTheReadWithItsLine)
{
    const std::pair<std::string, const char *> cases[] = {
        {AdxRecords + adxRecord("<CALL>W1AW</CALL>") + "<A><B><C>", "nested more than 4"},
        {AdxRecords + adxRecord("<CALL>W1AW</CALL>") + "<RECORD><CALL>K1</NAME>",
         "</NAME> closes <CALL>"},
        {AdxRecords + adxRecord("<CALL>W1AW</CALL>") + "<RECORD><CALL a=1>", "without quotes"},
        {AdxRecords + adxRecord("<CALL>W1AW</CALL>") + "<RECORD><CALL>K1AB</CALL>",
         "ends before its end tag"},
    };
    for (const auto &[input, why] : cases) {
        SCOPED_TRACE(why);
        for (const std::size_t piece : {0, 1}) {
            const Read got = read(LogFormat::Adx, input, piece, Small);
            EXPECT_EQ(got.entries, std::vector<std::string>{"CALL=W1AW"});
            EXPECT_EQ(got.error.rfind("XML error in line 4: ", 0), 0u) << got.error;
            EXPECT_NE(got.error.find(why), std::string::npos) << got.error;
        }
    }
}

TEST(AdxReader, refusesXmlThatIsNoAdxLogOrIsInAnEncodingItDoesNotRead)
{
    const std::pair<const char *, const char *> cases[] = {
        {"<?xml version=\"1.0\"?><svg><RECORD><CALL>W1AW</CALL></RECORD></svg>", "<svg>"},
        {"<?xml version=\"1.0\" encoding=\"UTF-7\"?><ADX></ADX>", "encoding utf-7"},
        {"<?xml version=\"1.0\"?>\n<!-- nothing -->\n", "no ADX element"},
    };
    for (const auto &[input, why] : cases) {
        Recorder recorder;
        const auto reader = makeLogReader(LogFormat::Adx, recorder);
        reader->feed(input);
        reader->finish();
        EXPECT_TRUE(recorder.entries.empty());
        EXPECT_NE(reader->refusal().find(why), std::string::npos) << reader->refusal();
    }
}

TEST(AdxReader, brokenXmlStopsButKeepsTheRecordsBefore)
{
    const Read got = read(LogFormat::Adx,
                          "<ADX><RECORDS><RECORD><CALL>W1AW</CALL></RECORD>\n<RECORD><CALL>DL1"
                          "</BAND></RECORD><RECORD><CALL>K4ABC</CALL></RECORD></RECORDS></ADX>",
                          0);
    EXPECT_EQ(got.entries, std::vector<std::string>{"CALL=W1AW"});
    EXPECT_EQ(got.damaged, 1u);
    EXPECT_NE(got.error.find("line 2"), std::string::npos) << got.error;
}

TEST(LogFormat, isToldFromTheFirstBytes)
{
    const std::pair<std::string_view, LogFormat> cases[] = {
        {"<CALL:6>DL1ABC<EOR>", LogFormat::Adif},
        {"Log of DL1ABC\r\nwritten today\r\n<adif_ver:5>3.1.4 <eoh>", LogFormat::Adif},
        {"Free text only, then <EOH>", LogFormat::Adif},
        {"\xEF\xBB\xBF  <?xml version=\"1.0\"?><ADX>", LogFormat::Adx},
        {"\n<adx><records>", LogFormat::Adx},
        {"DL1ABC, W1AW\nK4XYZ", LogFormat::CallList},
        {"dl1abc\r\nKH6/K1ABC\r\nDLABC\r\n9A2AA\r\n2E0XYZ\r\nW1AW", LogFormat::CallList},
        // Calls with a slashed zero, in UTF-8 and single-byte text, are calls.
        {"W\xc3\x98"
         "ABC K\xc3\xb8"
         "XY",
         LogFormat::CallList},
        {"W\xd8"
         "ABC K\xf8"
         "XY",
         LogFormat::CallList},
        // Vorn's own CSV, pictures, pages, prose and empty files are no logs.
        {"sort_prefix,bureau,entity,call,via,qsos\r\nDL,DARC,Germany,DL1ABC,,2\r\n"
         "K1,ARRL - call area 1,United States,W1AW,,1\r\n",
         LogFormat::NotALog},
        {std::string_view("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), LogFormat::NotALog},
        {std::string_view("\xFF\xFE<\0C\0A\0L\0L\0:\0", 14), LogFormat::NotALog},
        {std::string_view("\0\0\0\0\0\0\0\0", 8), LogFormat::NotALog},
        {"<!DOCTYPE html><html><body>QSL</body></html>", LogFormat::NotALog},
        {"call <not a tag> W1AW", LogFormat::NotALog},
        {"", LogFormat::NotALog},
        {" \r\n\t", LogFormat::NotALog},
    };
    for (const auto &[text, format] : cases) {
        EXPECT_EQ(detectLogFormat(text), format) << text;
        EXPECT_EQ(whyNotALog(text).empty(), format != LogFormat::NotALog) << text;
    }
    // A word is as long as it reads with its slashed zeros as digits: 32 characters at most.
    std::string zeros;
    for (int i = 0; i < 31; ++i)
        zeros += "\xc3\x98";
    EXPECT_EQ(detectLogFormat("W" + zeros), LogFormat::CallList);
    EXPECT_EQ(detectLogFormat("W" + zeros + "\xc3\x98"), LogFormat::NotALog);
}

} // namespace
