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
};

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
Read read(LogFormat format, std::string_view input, std::size_t piece)
{
    Recorder recorder;
    auto reader = makeLogReader(format, recorder);
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
        const Read got = read(c.format, c.input, piece);
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
    const std::pair<const char *, LogFormat> cases[] = {
        {"<CALL:6>DL1ABC<EOR>", LogFormat::Adif},
        {"Log of DL1ABC\r\nwritten today\r\n<adif_ver:5>3.1.4 <eoh>", LogFormat::Adif},
        {"Free text only, then <EOH>", LogFormat::Adif},
        {"\xEF\xBB\xBF  <?xml version=\"1.0\"?><ADX>", LogFormat::Adx},
        {"\n<adx><records>", LogFormat::Adx},
        {"DL1ABC, W1AW\nK4XYZ", LogFormat::CallList},
        {"call <not a tag> W1AW", LogFormat::CallList},
        {"", LogFormat::CallList},
    };
    for (const auto &[text, format] : cases)
        EXPECT_EQ(detectLogFormat(text), format) << text;
}

} // namespace
