// Route calls, the choice of QSOs, cards and piles, the CSV and "Mark as sent", on small logs
// whose answers are known.

#include "logbook/LabelPlan.h"
#include "logbook/MarkAsSent.h"
#include "logbook/PileListing.h"
#include "logbook/QslRoute.h"
#include "logbook/SortJob.h"
#include "support/TestFiles.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Entry = std::vector<std::pair<std::string, std::string>>;

// DL and the US and Australian call areas, an entity without a bureau (P5) and a bureau outside
// the IARU (3A); for guests, a few more entities, and Guantanamo Bay with its KG4 calls.
struct World
{
    CountryTable countries;
    BureauTable bureaus;
    World()
    {
        for (const char *prefix : {"KH6", "KG4", "3D2", "F", "G", "DL", "K", "W", "VK", "P5", "3A"})
            countries.append({prefix, prefix[0] == 'W' ? "K" : prefix});
        bureaus.append({"KH6", "Hawaii", "KH6", "ARRL KH6", true});
        bureaus.append({"KG4", "Guantanamo Bay", "KG4", "", false});
        bureaus.append({"3D2", "Fiji", "3D2", "FARA", true});
        bureaus.append({"F", "France", "F", "REF", true});
        bureaus.append({"G", "England", "G", "RSGB", true});
        bureaus.append({"DL", "Germany", "DL", "DARC", true});
        bureaus.append({"K", "United States", "K", "ARRL", true});
        bureaus.append({"VK", "Australia", "VK", "WIA", true});
        bureaus.append({"P5", "North Korea", "P5", "", false});
        bureaus.append({"3A", "Monaco", "3A", "AMM, Monaco", false});
    }
};

void feed(LogSink &sink, const std::vector<Entry> &log)
{
    for (const Entry &entry : log) {
        std::vector<LogFieldView> fields;
        for (const auto &[name, value] : entry)
            fields.push_back({name, value});
        sink.record(fields);
    }
}

std::string csv(const SortedLog &sorted)
{
    std::ostringstream out;
    writeCardsCsv(out, sorted);
    return out.str();
}

TEST(ManagerCall, takesTheFirstWordShapedLikeACall)
{
    const std::pair<const char *, const char *> cases[] = {
        {"DL1ABC", "DL1ABC"},
        {"via dl1abc", "DL1ABC"},
        {"QSL via: M0ABC (OQRS)", "M0ABC"},
        {"mgr EA5XYZ direct or buro", "EA5XYZ"},
        {"KH6/K1ABC", "K1ABC"},
        {"DL1ABC/P", "DL1ABC"},
        {"2E0XYZ", "2E0XYZ"},
        {"9A2AA", "9A2AA"},
        {"DIRECT", ""},
        {"buro", ""},
        {"LoTW, eQSL", ""},
        {"home call", ""},
        {"QSL 2023", ""},
        {"", ""},
        // A slashed zero, in UTF-8 or single-byte text, is the digit.
        {"via W\xc3\x98"
         "ABC",
         "W0ABC"},
        {"via w\xd8"
         "abc",
         "W0ABC"},
    };
    for (const auto &[via, manager] : cases)
        EXPECT_EQ(managerCall(via), manager) << via;
}

// Notes as hams write them in QSL_VIA: what each asks for, and the manager it names.
TEST(QslVia, realWorldNotes)
{
    using K = QslViaKind;
    const std::tuple<const char *, QslViaKind, const char *> cases[] = {
        {"", K::None, ""},
        {" \t", K::None, ""},
        {"via DL1ABC", K::Manager, "DL1ABC"},
        {"W3HNK", K::Manager, "W3HNK"},
        {"W3HNK or buro", K::Manager, "W3HNK"},
        {"via W3HNK buro", K::Manager, "W3HNK"},
        {"mgr EA5XYZ direct or buro", K::Manager, "EA5XYZ"}, // the bureau is left open
        {"W3HNK buro, no direct", K::Manager, "W3HNK"},
        {"W3HNK no direct", K::Manager, "W3HNK"},
        {"QSL via: M0ABC (OQRS)", K::Manager, "M0ABC"}, // a manager's OQRS serves his bureau too
        {"via M0OXO, OQRS, LoTW", K::Manager, "M0OXO"},
        {"DL1ABC via W3HNK", K::Manager, "W3HNK"}, // the manager follows "via"
        {"Direct, BURO OT-27, QSL via SP3PDO", K::Manager, "SP3PDO"},
        {"via W3HNK direct", K::NotViaBureau, "W3HNK"},
        {"N7CQQ (direct only)", K::NotViaBureau, "N7CQQ"},
        {"M0OXO no bureau", K::NotViaBureau, "M0OXO"},
        {"LA7GIA dir", K::NotViaBureau, "LA7GIA"},
        {"QSL via SP3PDO direct", K::NotViaBureau, "SP3PDO"},
        {"DL1ABC via W3HNK direkt", K::NotViaBureau, "W3HNK"},
        {"EA5XYZ no-buro", K::NotViaBureau, "EA5XYZ"},
        {"DIRECT", K::NotViaBureau, ""},
        {"direct only", K::NotViaBureau, ""},
        {"OQRS", K::NotViaBureau, ""},
        {"Club Log OQRS", K::NotViaBureau, ""},
        {"ClubLog", K::NotViaBureau, ""},
        {"via Club Log", K::NotViaBureau, ""},
        {"LoTW", K::NotViaBureau, ""},
        {"LoTW, eQSL", K::NotViaBureau, ""},
        {"e-QSL", K::NotViaBureau, ""},
        {"eQSL.cc", K::NotViaBureau, ""},
        {"no buro", K::NotViaBureau, ""},
        {"NO BURO", K::NotViaBureau, ""},
        {"no-buro", K::NotViaBureau, ""},
        {"NOBURO", K::NotViaBureau, ""},
        {"not via bureau", K::NotViaBureau, ""},
        {"buro", K::Bureau, ""},
        {"Bureau", K::Bureau, ""},
        {"via buro", K::Bureau, ""},
        {"direct or buro", K::Bureau, ""},
        {"buro, no direct", K::Bureau, ""},
        {"see QRZ.com", K::Unrecognised, ""},
        {"home call", K::Unrecognised, ""},
        {"QSL 2023", K::Unrecognised, ""},
        {"Bruno", K::Unrecognised, ""},
    };
    for (const auto &[via, kind, manager] : cases) {
        const QslVia read = readQslVia(via);
        EXPECT_EQ(read.kind, kind) << via;
        EXPECT_EQ(read.manager, manager) << via;
    }
}

// A value from a log quoted in a message: whole up to 40 characters, then cut and elided, never
// inside a UTF-8 character, and on one line.
TEST(LogExcerpt, quotesAtMostFortyCharacters)
{
    const std::string forty(40, 'x');
    const std::string umlauts = std::string(39, 'x') + "\xc3\xb6\xc3\xb6"; // 41 characters
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"see QRZ", "see QRZ"},
        {forty, forty},
        {forty + "y", forty + "..."},
        {std::string(10000, 'x'), forty + "..."},
        {umlauts, std::string(39, 'x') + "\xc3\xb6..."},
        {"line\r\nnext\tcolumn", "line  next column"},
    };
    for (const auto &[value, excerpt] : cases)
        EXPECT_EQ(logExcerpt(value), excerpt) << value.size();
}

struct SelectionCase
{
    const char *name;
    std::vector<std::vector<Entry>> logs; // each log is one beginLog()
    QsoSelection selection;
    std::string counted; // the calls of the cards, with their QSO counts
};

void PrintTo(const SelectionCase &c, std::ostream *out)
{
    *out << c.name;
}

class QsoSelectionTest : public testing::TestWithParam<SelectionCase>
{
};

TEST_P(QsoSelectionTest, countsTheQsosWaitingForACard)
{
    const SelectionCase &c = GetParam();
    const World world;
    LogSorter sorter;
    for (const auto &log : c.logs) {
        sorter.beginLog();
        feed(sorter, log);
    }
    std::string got;
    for (const CardPile &pile : sortLog(sorter, world.countries, world.bureaus, c.selection).piles)
        for (const QslCard &card : pile.cards)
            got += card.call + ':' + std::to_string(card.qsos.size()) + ' ';
    EXPECT_EQ(got, c.counted);
}

const std::vector<Entry> MixedLog = {
    {{"CALL", "DL1AAA"}, {"QSL_SENT", "Q"}},
    {{"CALL", "DL1BBB"}, {"QSL_SENT", "r"}},
    {{"CALL", "DL1CCC"}, {"QSL_SENT", "Y"}},
    {{"CALL", "DL1DDD"}, {"QSL_SENT", "N"}},
    {{"CALL", "DL1EEE"}},
    {{"CALL", "DL1FFF"}, {"QSL_SENT", "Q"}, {"QSL_SENT_VIA", "D"}},
    {{"CALL", "DL1GGG"}, {"QSL_SENT", "Q"}, {"QSL_SENT_VIA", "B"}},
    {{"CALL", "dl1aaa "}, {"QSL_SENT", "Q"}},
};
const std::vector<Entry> LogWithoutQslSent = {
    {{"CALL", "DL2AAA"}},
    {{"CALL", "DL2BBB"}, {"QSL_SENT_VIA", "e"}},
    {{"CALL", "DL2CCC"}, {"QSL_SENT_VIA", "M"}},
    {{"CALL", "DL2DDD"}, {"QSL_SENT", ""}},
};

INSTANTIATE_TEST_SUITE_P(
    Logs, QsoSelectionTest,
    testing::Values(SelectionCase{"queued_or_requested",
                                  {MixedLog},
                                  QsoSelection::Waiting,
                                  "DL1AAA:2 DL1BBB:1 DL1GGG:1 "},
                    SelectionCase{
                        "every_qso",
                        {MixedLog},
                        QsoSelection::All,
                        "DL1AAA:2 DL1BBB:1 DL1CCC:1 DL1DDD:1 DL1EEE:1 DL1FFF:1 DL1GGG:1 "},
                    SelectionCase{"log_without_qsl_sent",
                                  {LogWithoutQslSent},
                                  QsoSelection::Waiting,
                                  "DL2AAA:1 DL2DDD:1 "},
                    SelectionCase{"judged_per_log",
                                  {MixedLog, LogWithoutQslSent},
                                  QsoSelection::Waiting,
                                  "DL1AAA:2 DL1BBB:1 DL1GGG:1 DL2AAA:1 DL2DDD:1 "}),
    [](const auto &named) { return std::string(named.param.name); });

// One log with every kind of pile, QSOs with one station on one card, and a manager's pile.
const std::vector<Entry> SmallLog = {
    {{"CALL", "W1AW"}},
    {{"CALL", "DL2XYZ"}, {"QSL_VIA", "via DL1ABC"}},
    {{"CALL", "dl1abc"}},
    {{"CALL", "VK3ABC"}},
    {{"CALL", "DL1ABC"}, {"BAND", "40M"}},
    {{"CALL", "K4XYZ"}, {"QSL_VIA", "K4XYZ"}},
    {{"CALL", "P5ABC"}},
    {{"CALL", "3A2XX"}},
    {{"CALL", "KXY"}},
    {{"CALL", "QQ1QQ"}},
    {{"CALL", "VK9ZZ"}, {"QSL_VIA", "W1AW"}},
    {{"BAND", "20M"}},
};

TEST(Piles, sortEveryKindInBureauOrderWithCounts)
{
    const World world;
    LogSorter sorter;
    feed(sorter, SmallLog);
    const SortedLog sorted = sortLog(sorter, world.countries, world.bureaus, QsoSelection::Waiting);
    EXPECT_EQ(csv(sorted), "sort_prefix,bureau,entity,call,via,qsos\r\n"
                           "DL,DARC,Germany,DL1ABC,,2\r\n"
                           "DL,DARC,Germany,DL2XYZ,DL1ABC,1\r\n"
                           "K1,ARRL - call area 1,Australia,VK9ZZ,W1AW,1\r\n"
                           "K1,ARRL - call area 1,United States,W1AW,,1\r\n"
                           "K4,ARRL - call area 4a,United States,K4XYZ,,1\r\n"
                           "VK3,WIA - call area 3,Australia,VK3ABC,,1\r\n"
                           "3A,\"AMM, Monaco (non IARU)\",Monaco,3A2XX,,1\r\n"
                           ",none,North Korea,P5ABC,,1\r\n"
                           "call incomplete (call area missing),,,KXY,,1\r\n"
                           "unknown,unknown,unknown,QQ1QQ,,1\r\n");

    std::vector<std::tuple<PileKind, std::string, std::size_t, std::size_t>> piles;
    for (const CardPile &pile : sorted.piles)
        piles.emplace_back(pile.kind, pileTitle(pile), pile.cards.size(), pile.qsoCount);
    EXPECT_EQ(piles, (decltype(piles){{PileKind::Bureau, "DL", 2, 3},
                                      {PileKind::Bureau, "K1", 2, 2},
                                      {PileKind::Bureau, "K4", 1, 1},
                                      {PileKind::Bureau, "VK3", 1, 1},
                                      {PileKind::NonIaru, "3A", 1, 1},
                                      {PileKind::NoBureau, "none", 1, 1},
                                      {PileKind::Unknown, "unknown or incomplete", 2, 2}}));
    EXPECT_EQ(totalsText(sorted), "6 cards (7 QSOs) in 4 bureau piles; set apart: 4 cards "
                                  "(4 QSOs). 12 QSOs read, 11 counted, 1 without a call.");
}

// Each card's pile, answers and what the Via column says, one line per card.
std::string cardLines(const SortedLog &sorted)
{
    std::string lines;
    for (const CardPile &pile : sorted.piles)
        for (const QslCard &card : pile.cards)
            lines += pileTitle(pile) + " | " + card.call + " | " + routeNote(card) + " | " +
                     card.answer.bureauText + " | " + card.answer.entityText + '\n';
    return lines;
}

TEST(Piles, portableAndGuestCallsGoToTheirHomeBureaus)
{
    const World world;
    LogSorter sorter;
    feed(sorter, {
                     {{"CALL", "VK2/DL1ABC"}},
                     {{"CALL", "F/G4XYZ"}},
                     {{"CALL", "DL1ABC/P"}},
                     {{"CALL", "DL1ABC/VK2"}},
                     {{"CALL", "W1ABC/KH6"}},
                     {{"CALL", "K1ABC/MM"}},
                     {{"CALL", "KG4AB/P"}},
                     {{"CALL", "3D2/DL1ABC"}},
                     {{"CALL", "VK2/DL2XYZ"}, {"QSL_VIA", "DL5ZZZ"}}, // a manager still wins
                     {{"CALL", "VK2/QQ1ABC"}}, // a home call that no pile takes: as it stands
                     // The KA4 pile names one bureau and one entity, KG4 calls of area 4b too.
                     {{"CALL", "KG4ABC"}},
                     {{"CALL", "KA4XYZ"}},
                 });
    const SortedLog sorted = sortLog(sorter, world.countries, world.bureaus, QsoSelection::All);
    EXPECT_EQ(cardLines(sorted), "DL | 3D2/DL1ABC | home call DL1ABC | DARC | Fiji\n"
                                 "DL | DL1ABC/P | home call DL1ABC | DARC | Germany\n"
                                 "DL | DL1ABC/VK2 | home call DL1ABC | DARC | Australia\n"
                                 "DL | VK2/DL1ABC | home call DL1ABC | DARC | Australia\n"
                                 "DL | VK2/DL2XYZ | via DL5ZZZ | DARC | Australia\n"
                                 "G | F/G4XYZ | home call G4XYZ | RSGB | France\n"
                                 "K1 | K1ABC/MM | home call K1ABC | ARRL - call area 1 | "
                                 "maritime mobile, no DXCC entity\n"
                                 "K1 | W1ABC/KH6 | home call W1ABC | ARRL - call area 1 | Hawaii\n"
                                 "KA4 | KA4XYZ |  | ARRL - call area 4b | United States\n"
                                 "KA4 | KG4ABC |  | ARRL - call area 4b | United States\n"
                                 "VK2 | VK2/QQ1ABC |  | WIA - call area 2 | Australia\n"
                                 "none | KG4AB/P | home call KG4AB | none | Guantanamo Bay\n");
    EXPECT_EQ(sorted.piles[3].bureauText, "ARRL - call area 4b");
    EXPECT_EQ(sorted.piles[3].entityText, "United States");
}

// The cards of a log go by the same look-up as the window: the list of exact calls, and calls
// written with a slashed zero, whatever the log's encoding.
TEST(Piles, exactCallsAndSlashedZerosSortAsInTheWindow)
{
    World world;
    std::size_t badLine = 0;
    ASSERT_TRUE(world.countries.exactCalls().build("1 DL0XYZ F\r\n1 4U1WB K\r\n", badLine));
    LogSorter sorter;
    feed(sorter, {
                     {{"CALL", "DL0XYZ"}},
                     {{"CALL", "VK2/DL0XYZ"}}, // a guest whose home call the list holds
                     {{"CALL", "4U1WB"}},
                     {{"CALL", "W\xc3\x98"
                               "ABC"}}, // UTF-8, as ADX and most ADIF logs
                     {{"CALL", "W\xd8"
                               "ABC"}}, // single-byte
                     {{"CALL", "DL1ABC"},
                      {"QSL_VIA", "W\xc3\xb8"
                                  "XYZ"}},
                 });
    const SortedLog sorted = sortLog(sorter, world.countries, world.bureaus, QsoSelection::All);
    EXPECT_EQ(cardLines(sorted), "F | DL0XYZ |  | REF | France\n"
                                 "F | VK2/DL0XYZ | home call DL0XYZ | REF | Australia\n"
                                 "K | 4U1WB |  | ARRL | United States\n"
                                 "K0 | W0ABC |  | ARRL - call area 0 | United States\n"
                                 "K0 | DL1ABC | via W0XYZ | ARRL - call area 0 | Germany\n");
}

// Which card a QSO goes on, and the pile, entity and via column the CSV gives that card.
TEST(Piles, cardsGoByTheWorkedCallAndTheRouteCall)
{
    World world;
    world.countries.append({"J8", "J8"});
    world.bureaus.append({"J8", "St. Vincent", "J8", "ECRA", true});
    const std::pair<std::vector<Entry>, std::string> cases[] = {
        {{{{"CALL", "J88HL"}, {"QSL_VIA", "via DL1ABC"}}},
         "DL,DARC,St. Vincent,J88HL,DL1ABC,1\r\n"},
        {{{{"CALL", "J88HL"}, {"QSL_VIA", "via W3HNK direct"}},
          {{"CALL", "J88HL"}, {"QSL_VIA", "W3HNK or buro"}}},
         "K3,ARRL - call area 3,St. Vincent,J88HL,W3HNK,1\r\n"
         ",not via the bureau,St. Vincent,J88HL,via W3HNK direct,1\r\n"},
        // A manager who is the home call is the card that goes by the home call.
        {{{{"CALL", "DL1ABC/P"}},
          {{"CALL", "DL1ABC/P"}, {"QSL_VIA", "via DL1ABC"}},
          {{"CALL", "DL1ABC"}}},
         "DL,DARC,Germany,DL1ABC,,1\r\nDL,DARC,Germany,DL1ABC/P,home call DL1ABC,2\r\n"},
        {{{{"CALL", "VK2/DL1ABC"}, {"QSL_VIA", "DL1ABC"}}},
         "DL,DARC,Australia,VK2/DL1ABC,home call DL1ABC,1\r\n"},
        {{{{"CALL", "DL1ABC/P"}}, {{"CALL", "DL1ABC/P"}, {"QSL_VIA", "DL2XYZ"}}},
         "DL,DARC,Germany,DL1ABC/P,home call DL1ABC,1\r\nDL,DARC,Germany,DL1ABC/P,DL2XYZ,1\r\n"},
    };
    for (const auto &[log, rows] : cases) {
        LogSorter sorter;
        feed(sorter, log);
        const std::string cards =
            csv(sortLog(sorter, world.countries, world.bureaus, QsoSelection::All));
        EXPECT_EQ(cards.substr(cards.find("\r\n") + 2), rows) << log.front().front().second;
    }
}

TEST(Piles, notesThatAskForAnotherWayAreSetApart)
{
    const World world;
    LogSorter sorter;
    feed(sorter, {
                     {{"CALL", "DL3AAA"}, {"QSL_VIA", "direct"}},
                     {{"CALL", "DL3AAA"}},
                     {{"CALL", "DL3BBB"}, {"QSL_VIA", "OQRS"}},
                     {{"CALL", "DL3BBB"}, {"QSL_VIA", "Club Log OQRS"}},
                     {{"CALL", "QQ1ABC"}, {"QSL_VIA", "NO BURO"}},
                     {{"CALL", "DL3CCC"}, {"QSL_VIA", "buro"}},
                     {{"CALL", "DL3DDD"}, {"QSL_VIA", "see QRZ.com"}, {"QSL_SENT", "Q"}},
                     {{"CALL", "DL3EEE"}, {"QSL_VIA", "see QRZ.com"}, {"QSL_SENT", "R"}},
                     {{"CALL", "DL3FFF"}, {"QSL_VIA", "home call"}, {"QSL_SENT", "N"}},
                 });
    const SortedLog sorted = sortLog(sorter, world.countries, world.bureaus, QsoSelection::All);
    EXPECT_EQ(cardLines(sorted), "DL | DL3AAA |  | DARC | Germany\n"
                                 "DL | DL3CCC |  | DARC | Germany\n"
                                 "DL | DL3DDD |  | DARC | Germany\n"
                                 "DL | DL3EEE |  | DARC | Germany\n"
                                 "DL | DL3FFF |  | DARC | Germany\n"
                                 "not via the bureau | DL3AAA | direct | DARC | Germany\n"
                                 "not via the bureau | DL3BBB | OQRS | DARC | Germany\n"
                                 "not via the bureau | QQ1ABC | NO BURO | unknown | unknown\n");
    EXPECT_EQ(sorted.piles[1].kind, PileKind::NotViaBureau);
    EXPECT_EQ(sorted.piles[1].qsoCount, 4u);
    EXPECT_EQ(unreadNotesText(sorted), "QSL_VIA not understood, taken as no manager: "
                                       "\"see QRZ.com\" (2 QSOs), \"home call\" (1 QSO).");
    // Only the counted QSOs' notes are listed; Mark as sent leaves the pile set apart alone.
    const SortedLog waiting =
        sortLog(sorter, world.countries, world.bureaus, QsoSelection::Waiting);
    EXPECT_EQ(waiting.unreadNotes.size(), 1u);
    EXPECT_EQ(entriesInBureauPiles(sorted, 9),
              (std::vector<bool>{false, true, false, false, false, true, true, true, true}));
    // The CSV files them nowhere near the DL pile.
    EXPECT_NE(csv(sorted).find("\r\n,not via the bureau,Germany,DL3AAA,direct,1\r\n"),
              std::string::npos)
        << csv(sorted);
}

TEST(Piles, cardsCarryTheirQsos)
{
    const World world;
    LogSorter sorter;
    feed(sorter, {
                     {{"CALL", "DL1ABC"},
                      {"QSO_DATE", "20240115"},
                      {"TIME_ON", "123456"},
                      {"BAND", "20m"},
                      {"MODE", "MFSK"},
                      {"SUBMODE", "FT4"},
                      {"RST_SENT", "-10"},
                      {"QSL_RCVD", "Y"}},
                     {{"BAND", "40m"}}, // no call: no card, but the QSOs keep their numbers
                     {{"CALL", "DL1ABC"},
                      {"QSO_DATE", "2024031"},
                      {"TIME_ON", "0907"},
                      {"BAND", "40m"},
                      {"MODE", "SSB"},
                      {"RST_SENT", "59"}},
                     {{"CALL", "P5ABC"}, {"MODE", "CW"}, {"QSL_VIA", "a, \"quoted\" note"}},
                 });
    const SortedLog sorted = sortLog(sorter, world.countries, world.bureaus, QsoSelection::All);
    const QslCard &card = sorted.piles[0].cards[0];
    ASSERT_EQ(card.qsos.size(), 2u);
    const QsoView first = sorted.qso(card.qsos[0]);
    EXPECT_TRUE(first.qslReceived);
    EXPECT_EQ(qsoLine(first), "2024-01-15 1234 20m FT4 -10");
    EXPECT_FALSE(sorted.qso(card.qsos[1]).qslReceived);
    EXPECT_EQ(qsoLine(sorted.qso(card.qsos[1])), "2024031 0907 40m SSB 59");
    std::ostringstream out;
    writeQsosCsv(out, sorted);
    EXPECT_EQ(
        out.str(),
        "pile,sort_prefix,bureau,entity,call,via,route,qso_date,time_on,band,mode,rst_sent\r\n"
        "DL,DL,DARC,Germany,DL1ABC,,DL1ABC,20240115,123456,20m,FT4,-10\r\n"
        "DL,DL,DARC,Germany,DL1ABC,,DL1ABC,2024031,0907,40m,SSB,59\r\n"
        "none,,none,North Korea,P5ABC,,P5ABC,,,,CW,\r\n");
}

// Every column of a QSO row is CSV text: a formula in any field of the log stays text there.
TEST(Piles, everyColumnOfTheQsoRowsIsQuotedAsCsv)
{
    const World world;
    const std::string formula = "=HYPERLINK(\"http://x\",\"y\")";
    const std::string quoted = "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"";
    const std::pair<const char *, std::vector<std::string>> rows[] = {
        {"QSO_DATE", {quoted, "", "", "", ""}}, {"TIME_ON", {"", quoted, "", "", ""}},
        {"BAND", {"", "", quoted, "", ""}},     {"MODE", {"", "", "", quoted, ""}},
        {"RST_SENT", {"", "", "", "", quoted}},
    };
    for (const auto &[field, columns] : rows) {
        LogSorter sorter;
        feed(sorter, {{{"CALL", "DL1ABC"}, {field, formula}}});
        std::ostringstream out;
        writeQsosCsv(out, sortLog(sorter, world.countries, world.bureaus, QsoSelection::All));
        std::string row = "DL,DL,DARC,Germany,DL1ABC,,DL1ABC";
        for (const std::string &column : columns)
            row += ',' + column;
        EXPECT_EQ(out.str().substr(out.str().find("\r\n") + 2), row + "\r\n") << field;
    }
    // The card's columns too: a call that is a formula is text as the call and as the route.
    LogSorter sorter;
    feed(sorter, {{{"CALL", "=1+2"}}});
    std::ostringstream out;
    writeQsosCsv(out, sortLog(sorter, world.countries, world.bureaus, QsoSelection::All));
    EXPECT_NE(out.str().find(",\"'=1+2\",,\"'=1+2\","), std::string::npos) << out.str();
}

// A QSO's field is kept up to 32 characters, more than any sensible value has; the rest is cut.
TEST(Piles, aQsoFieldIsKeptUpTo32Characters)
{
    const World world;
    const std::pair<std::size_t, std::size_t> rows[] = {{32, 32}, {33, 32}};
    for (const auto &[length, kept] : rows) {
        LogSorter sorter;
        feed(sorter, {{{"CALL", "DL1ABC"}, {"MODE", std::string(length, 'M')}}});
        const SortedLog sorted = sortLog(sorter, world.countries, world.bureaus, QsoSelection::All);
        EXPECT_EQ(sorted.qso(sorted.piles.at(0).cards.at(0).qsos.at(0)).mode,
                  std::string(kept, 'M'))
            << length;
    }
}

TEST(Piles, aCardListsItsQsosAsTheyWereMade)
{
    const World world;
    LogSorter sorter;
    feed(sorter,
         {
             {{"CALL", "DL1ABC"}, {"QSO_DATE", "20240301"}, {"TIME_ON", "1200"}},
             {{"CALL", "DL1ABC"}, {"QSO_DATE", "20240115"}, {"TIME_ON", "0900"}},
             {{"CALL", "DL1ABC"}, {"QSO_DATE", "20240115"}, {"TIME_ON", "083015"}},
             {{"CALL", "DL1ABC"}, {"QSO_DATE", "20240115"}, {"TIME_ON", "0900"}, {"BAND", "40m"}},
         });
    const SortedLog sorted = sortLog(sorter, world.countries, world.bureaus, QsoSelection::All);
    std::vector<std::string> lines;
    for (const std::uint32_t entry : sorted.piles.at(0).cards.at(0).qsos)
        lines.push_back(qsoLine(sorted.qso(entry)));
    EXPECT_EQ(lines, (std::vector<std::string>{"2024-01-15 0830", "2024-01-15 0900",
                                               "2024-01-15 0900 40m", "2024-03-01 1200"}));
}

TEST(LabelPlan, aHeadingPerPileAndCardsSpreadOverLabels)
{
    const World world;
    LogSorter sorter;
    std::vector<Entry> log(7, Entry{{"CALL", "DL1ABC"}});
    log.push_back({{"CALL", "DL2ABC"}});
    log.push_back({{"CALL", "P5ABC"}});
    feed(sorter, log);
    const SortedLog sorted = sortLog(sorter, world.countries, world.bureaus, QsoSelection::All);
    std::string plan;
    for (const LabelContent &label : planLabels(sorted, 3, {})) {
        plan += pileTitle(*label.pile);
        if (label.card != nullptr)
            plan += ' ' + label.card->call + ' ' + std::to_string(label.firstQso) + '+' +
                    std::to_string(label.qsoCount) + ' ' + std::to_string(label.part) + '/' +
                    std::to_string(label.parts);
        plan += '\n';
    }
    EXPECT_EQ(plan, "DL\n"
                    "DL DL1ABC 0+3 1/3\n"
                    "DL DL1ABC 3+3 2/3\n"
                    "DL DL1ABC 6+1 3/3\n"
                    "DL DL2ABC 0+1 1/1\n"
                    "none\n"
                    "none P5ABC 0+1 1/1\n");
    EXPECT_EQ(planLabels(sorted, 0, {}).size(), 11u); // a label takes one QSO at least
}

// Where the labels go: across, then down, then the next sheet; on a partly used first sheet,
// from its first free label on.
TEST(LabelPlan, fillsEachSheetAcrossThenDownThenTheNext)
{
    const World world;
    LogSorter sorter;
    std::vector<Entry> log;
    for (int i = 0; i < 70; ++i) // a heading and 70 cards: 71 labels
        log.push_back(
            {{"CALL", "DL" + std::to_string(i % 10) + std::string{char('A' + i / 10), 'B', 'C'}}});
    feed(sorter, log);
    const SortedLog sorted = sortLog(sorter, world.countries, world.bureaus, QsoSelection::All);

    struct Row
    {
        SheetGrid grid;
        std::size_t label; // counted from 1
        LabelPlace place;
    };
    const SheetGrid letter{3, 10};
    const SheetGrid a4{3, 8};
    const Row rows[] = {
        {letter, 1, {1, 0, 0}},
        {letter, 3, {1, 0, 2}},
        {letter, 4, {1, 1, 0}},
        {letter, 30, {1, 9, 2}},
        {letter, 31, {2, 0, 0}},
        {letter, 60, {2, 9, 2}},
        {letter, 61, {3, 0, 0}},
        {a4, 24, {1, 7, 2}},
        {a4, 25, {2, 0, 0}},
        // Five labels of the first sheet used already.
        {{3, 10, 5}, 1, {1, 1, 2}},
        {{3, 10, 5}, 25, {1, 9, 2}},
        {{3, 10, 5}, 26, {2, 0, 0}},
    };
    for (const Row &row : rows) {
        const std::vector<LabelContent> plan = planLabels(sorted, 1, row.grid);
        ASSERT_EQ(plan.size(), 71u);
        const LabelPlace &place = plan.at(row.label - 1).place;
        EXPECT_EQ(place, row.place)
            << "label " << row.label << " of " << row.grid.columns << "x" << row.grid.rows
            << " from " << row.grid.firstLabel << ": page " << place.page << ", row " << place.row
            << ", column " << place.column;
    }
}

TEST(Piles, areChosenByTheOutcomeAndTheBureauRowNotByTheText)
{
    using O = LookupOutcome;
    // A bureau of the IARU whose name happens to end like the mark of one outside it.
    const BureauRow oddName{"X", "Xland", "X", "Odd (non IARU)", true};
    const BureauRow outside{"3A", "Monaco", "3A", "AMM", false};
    const std::pair<LookupAnswer, PileKind> cases[] = {
        {{O::Normal, &oddName}, PileKind::Bureau},
        {{O::Normal, &outside}, PileKind::NonIaru},
        {{O::NoBureau, &outside}, PileKind::NoBureau},
        {{O::CallArea, &outside, '3'}, PileKind::Bureau},
        {{O::VkArea90, &outside}, PileKind::Bureau},
        {{O::KG4Usa}, PileKind::Bureau},
        {{O::NotFound}, PileKind::Unknown},
        {{O::OneCharacter}, PileKind::Unknown},
        {{O::AreaMissing}, PileKind::Unknown},
    };
    for (const auto &[answer, pile] : cases)
        EXPECT_EQ(pileKind(answer), pile) << static_cast<int>(answer.outcome);
}

TEST(CsvField, quotesOnlyWhatNeedsIt)
{
    const std::pair<const char *, const char *> cases[] = {
        {"DARC QSL bureau", "DARC QSL bureau"},
        {"", ""},
        {"AMM, Monaco", "\"AMM, Monaco\""},
        {"the \"best\"", "\"the \"\"best\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        // What a spreadsheet would run as a formula stays text behind an apostrophe.
        {"=1+2", "\"'=1+2\""},
        {"@SUM(1)", "\"'@SUM(1)\""},
        {"+A1", "\"'+A1\""},
        {"-1+2", "\"'-1+2\""},
        // A signed number, such as a signal report, is read as the number it is.
        {"-10", "-10"},
        {"+5", "+5"},
        {"-", "\"'-\""},
        {"\tx", "\"'\tx\""},
        {"\rx", "\"'\rx\""},
        {"=HYPERLINK(\"a\",1)", "\"'=HYPERLINK(\"\"a\"\",1)\""},
        {"DL1ABC=", "DL1ABC="},
    };
    for (const auto &[text, field] : cases)
        EXPECT_EQ(csvField(text), field) << text;
}

TEST(MarkAsSent, writesEveryFieldBackAndLeavesTheLogAlone)
{
    const TempDir dir;
    const std::string log =
        "Exported\r\n<ADIF_VER:5>3.1.4 <PROGRAMID:3>Foo <EOH>\r\n"
        "<CALL:6>DL1ABC<NAME:5>J\xC3\xB6rg<QSL_SENT:1>Q<APP_X_Y:2>ab<EOR>\r\n"
        "<CALL:5>P5ABC<QSL_SENT:1>Q<EOR>\r\n"
        "<call:4>W1AW<qsl_sent:1>R<QSL_SENT_VIA:1>B<QSLSDATE:8>20200101<EOR>\r\n"
        "<CALL:4>W1AW<QSL_SENT:1>Y<EOR>\r\n";
    const auto source = dir.write("log.adi", log);
    const World world;
    SortJob job(world.countries, world.bureaus);
    job.addLog(source);
    job.run();
    ASSERT_TRUE(job.done());
    const SortedLog sorted = job.result(QsoSelection::Waiting);
    const auto marked = entriesInBureauPiles(sorted, sorted.entries);
    EXPECT_EQ(marked, (std::vector<bool>{true, false, true, false}));

    std::string error;
    MarkReport report;
    ASSERT_TRUE(saveMarkedLog(dir.path() / "sent.adi", job.reports().at(0), marked, "20240102",
                              report, error))
        << error;
    std::ifstream in(dir.path() / "sent.adi", std::ios::binary);
    const std::string written{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(written.substr(written.find("<ADIF_VER")),
              "<ADIF_VER:5>3.1.4 <PROGRAMID:3>Foo <EOH>\r\n"
              "<CALL:6>DL1ABC <NAME:5>J\xC3\xB6rg <QSL_SENT:1>Y <APP_X_Y:2>ab "
              "<QSL_SENT_VIA:1>B <QSLSDATE:8>20240102 <EOR>\r\n"
              "<CALL:5>P5ABC <QSL_SENT:1>Q <EOR>\r\n"
              "<CALL:4>W1AW <QSL_SENT:1>Y <QSL_SENT_VIA:1>B <QSLSDATE:8>20240102 <EOR>\r\n"
              "<CALL:4>W1AW <QSL_SENT:1>Y <EOR>\r\n");

    // Never over the log that was read, by any name.
    EXPECT_FALSE(saveMarkedLog(dir.path() / "." / "log.adi", job.reports().at(0), marked,
                               "20240102", report, error));
    std::ifstream again(source, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), log);
}

// Marking reads the log again from its file: a log that changed since it was sorted would put
// the marks on other QSOs, so it is refused and nothing is written, not even over an old file.
TEST(MarkAsSent, refusesALogThatChangedSinceItWasSorted)
{
    const std::string log = "<CALL:6>DL1ABC<QSL_SENT:1>Q<EOR><CALL:4>W1AW<QSL_SENT:1>Q<EOR>";
    const std::pair<const char *, std::string> changes[] = {
        {"unchanged", log},
        {"a QSO added", log + "<CALL:4>W2AW<QSL_SENT:1>Q<EOR>"},
        {"same size and time, other bytes", "<CALL:6>DL1ABD<QSL_SENT:1>Q<EOR>"
                                            "<CALL:4>W1AW<QSL_SENT:1>Q<EOR>"},
    };
    const World world;
    for (const auto &[name, now] : changes) {
        SCOPED_TRACE(name);
        const TempDir dir;
        const auto source = dir.write("log.adi", log);
        SortJob job(world.countries, world.bureaus);
        job.addLog(source);
        job.run();
        ASSERT_TRUE(job.done());
        const auto time = std::filesystem::last_write_time(source);
        dir.write("log.adi", now);
        if (now.size() == log.size())
            std::filesystem::last_write_time(source, time);
        dir.write("sent.adi", "keep");
        const SortedLog sorted = job.result(QsoSelection::Waiting);
        std::string error;
        MarkReport report;
        const bool saved =
            saveMarkedLog(dir.path() / "sent.adi", job.reports().at(0),
                          entriesInBureauPiles(sorted, sorted.entries), "20240102", report, error);
        EXPECT_EQ(saved, now == log) << error;
        if (now == log)
            continue;
        EXPECT_NE(error.find("has changed since it was sorted"), std::string::npos) << error;
        EXPECT_EQ(dir.read("sent.adi"), "keep");
        EXPECT_EQ(dir.names(), "log.adi sent.adi");
    }
}

// Entries are numbered across every log of a job; the second log's QSOs are marked by their
// numbers after the first log's.
TEST(MarkAsSent, marksTheEntriesOfTheLogByTheirNumbersInTheJob)
{
    const TempDir dir;
    const World world;
    SortJob job(world.countries, world.bureaus);
    job.addLog(dir.write("first.adi", "<CALL:4>P5AB<QSL_SENT:1>Q<EOR>"
                                      "<CALL:4>P5CD<QSL_SENT:1>Q<EOR>"));
    job.addLog(dir.write("second.adi", "<CALL:6>DL1ABC<QSL_SENT:1>Q<EOR>"
                                       "<CALL:4>P5EF<QSL_SENT:1>Q<EOR>"));
    job.run();
    ASSERT_TRUE(job.done());
    ASSERT_EQ(job.reports().at(1).firstEntry, 2u);
    const SortedLog sorted = job.result(QsoSelection::Waiting);
    std::string error;
    MarkReport report;
    ASSERT_TRUE(saveMarkedLog(dir.path() / "sent.adi", job.reports().at(1),
                              entriesInBureauPiles(sorted, sorted.entries), "20240102", report,
                              error))
        << error;
    const std::string written = dir.read("sent.adi");
    EXPECT_NE(written.find("<CALL:6>DL1ABC <QSL_SENT:1>Y"), std::string::npos) << written;
    EXPECT_NE(written.find("<CALL:4>P5EF <QSL_SENT:1>Q <EOR>"), std::string::npos) << written;
    EXPECT_EQ(report.marked, 1u);
    EXPECT_EQ(report.notInBureauPile, 1u);
}

// A QSO whose card went out long ago, or is not to go out, keeps its QSL state whatever the view
// shows; only the cards still waiting for the bureau are marked.
struct MarkCase
{
    const char *name;
    QsoSelection selection;
    std::vector<bool> marked; // per QSO of MarkLog
    std::string report;
};

void PrintTo(const MarkCase &c, std::ostream *out)
{
    *out << c.name;
}

const std::vector<std::string> MarkLog = {
    "<CALL:6>DL1AAA<QSL_SENT:1>Y<QSL_SENT_VIA:1>D<QSLSDATE:8>20190101",
    "<CALL:6>DL1BBB<QSL_SENT:1>Y<QSL_SENT_VIA:1>B<QSLSDATE:8>20200101",
    "<CALL:6>DL1CCC<QSL_SENT:1>N",
    "<CALL:6>DL1DDD<QSL_SENT:1>I",
    "<CALL:6>DL1EEE<QSL_SENT:1>Q<QSL_SENT_VIA:1>E",
    "<CALL:6>DL1FFF<QSL_SENT:1>R<QSL_SENT_VIA:1>m",
    "<CALL:6>DL1GGG<QSL_SENT:1>Q",
    "<CALL:6>DL1HHH<QSL_SENT:1>r",
    "<CALL:6>DL1III<QSL_SENT_VIA:1>B",
    "<CALL:5>P5ABC<QSL_SENT:1>Q",
};

class MarkAsSentTest : public testing::TestWithParam<MarkCase>
{
};

TEST_P(MarkAsSentTest, changesOnlyTheQsosWaitingForTheBureau)
{
    const MarkCase &c = GetParam();
    const TempDir dir;
    std::string log;
    for (const std::string &qso : MarkLog)
        log += qso + "<EOR>\r\n";
    const World world;
    SortJob job(world.countries, world.bureaus);
    job.addLog(dir.write("log.adi", log));
    job.run();
    ASSERT_TRUE(job.done());
    const SortedLog sorted = job.result(c.selection);
    MarkReport report;
    const std::string written = markedAdif(
        log, LogFormat::Adif, entriesInBureauPiles(sorted, sorted.entries), "20240102", report);

    std::istringstream lines(written.substr(written.find("<EOH>\r\n") + 7));
    std::string line;
    for (std::size_t qso = 0; qso < MarkLog.size(); ++qso) {
        ASSERT_TRUE(std::getline(lines, line));
        SCOPED_TRACE(MarkLog[qso]);
        // As read, field by field; a marked QSO has its QSL state replaced or added.
        std::string unchanged = MarkLog[qso];
        for (std::size_t at = unchanged.find('<', 1); at != std::string::npos;
             at = unchanged.find('<', at + 2))
            unchanged.insert(at, " ");
        const bool marked = line.find("<QSLSDATE:8>20240102") != std::string::npos;
        EXPECT_EQ(marked, c.marked[qso]) << line;
        if (!marked) {
            EXPECT_EQ(line, unchanged + " <EOR>\r");
        }
    }
    EXPECT_EQ(markReportText(report), c.report);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, MarkAsSentTest,
    testing::Values(
        MarkCase{"every_qso",
                 QsoSelection::All,
                 {false, false, false, false, false, false, true, true, true, false},
                 "marked 3 QSOs as sent via the bureau; left 7 as they were: 1 sent already, 2 "
                 "not to be sent (QSL_SENT N or I), 3 sent direct, electronically or via a "
                 "manager, 1 not in a bureau pile"},
        MarkCase{"waiting",
                 QsoSelection::Waiting,
                 {false, false, false, false, false, false, true, true, false, false},
                 "marked 2 QSOs as sent via the bureau; left 8 as they were: 1 sent already, 2 "
                 "not to be sent (QSL_SENT N or I), 3 sent direct, electronically or via a "
                 "manager, 2 not in a bureau pile"}),
    [](const auto &named) { return std::string(named.param.name); });

TEST(MarkAsSent, leavesEveryCardThatIsNotWaitingWhateverThePilesHold)
{
    // Even when a caller hands over every entry as one of the bureau piles.
    const std::string log = "<CALL:6>DL1AAA<QSL_SENT:3> y <EOR>"
                            "<CALL:6>DL1BBB<QSL_SENT:1>Q<QSL_SENT_VIA:1>D<EOR>"
                            "<CALL:6>DL1CCC<QSL_SENT:0><EOR>";
    MarkReport report;
    const std::string written =
        markedAdif(log, LogFormat::Adif, {true, true, true}, "20240102", report);
    EXPECT_EQ(report.marked, 1u);
    EXPECT_NE(written.find("<CALL:6>DL1AAA <QSL_SENT:3> y  <EOR>"), std::string::npos) << written;
    EXPECT_NE(written.find("<CALL:6>DL1BBB <QSL_SENT:1>Q <QSL_SENT_VIA:1>D <EOR>"),
              std::string::npos);
    EXPECT_NE(written.find("<CALL:6>DL1CCC <QSL_SENT:1>Y <QSL_SENT_VIA:1>B <QSLSDATE:8>20240102"),
              std::string::npos);
}

TEST(SortJob, namesTheLogItCannotRead)
{
    const TempDir dir;
    const World world;
    for (const auto &missing : {dir.path() / "nothing.adi", dir.path()}) {
        SortJob job(world.countries, world.bureaus);
        job.addLog(dir.write("good.adi", "<CALL:4>W1AW<EOR>"));
        job.addLog(missing);
        job.run();
        EXPECT_TRUE(job.failed());
        EXPECT_EQ(job.error().rfind("cannot read " + missing.string() + ": ", 0), 0u)
            << job.error();
    }
}

// Files that are no logs are refused at once, naming the file and why; nothing is sorted.
TEST(SortJob, refusesWhatIsNoLog)
{
    const TempDir dir;
    const World world;
    const std::pair<std::string, const char *> cases[] = {
        {std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0", 20), "binary data"},
        {"sort_prefix,bureau,entity,call,via,qsos\r\nDL,DARC,Germany,DL1ABC,,2\r\n"
         "K1,ARRL - call area 1,United States,W1AW,,1\r\n",
         "neither ADIF nor ADX"},
        {"", "empty"},
        {std::string("\xFF\xFE<\0C\0A\0L\0L\0", 12), "UTF-16"},
        {std::string("<\0C\0A\0L\0L\0:\0"
                     "4\0>\0",
                     16),
         "UTF-16"},
        {std::string(5000, '\0'), "binary data"},
        {"<?xml version=\"1.0\"?><gpx><trk/></gpx>", "not an ADX log"},
        {"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><ADX/>", "encoding shift_jis"},
    };
    for (const auto &[bytes, why] : cases) {
        SortJob job(world.countries, world.bureaus);
        const auto file = dir.write("log", bytes);
        job.addLog(file);
        job.run();
        EXPECT_TRUE(job.failed()) << why;
        EXPECT_EQ(job.error().rfind("cannot sort " + file.string() + ": it ", 0), 0u)
            << job.error();
        EXPECT_NE(job.error().find(why), std::string::npos) << job.error();
    }
}

TEST(SortJob, tellsWhetherEveryLogWasReadWhole)
{
    const TempDir dir;
    const World world;
    const std::string adx = "<?xml version=\"1.0\"?><ADX><RECORDS><RECORD><CALL>W1AW</CALL>"
                            "</RECORD>\n<RECORD><CALL>DL1ABC</CALL><NAME>J\xF6rg</NAME></RECORD>\n"
                            "<RECORD><CALL>K4XYZ</CALL></RECORD></RECORDS></ADX>";
    const std::tuple<std::string, std::size_t, bool, std::size_t> cases[] = {
        {adx, 1, false, 2},
        {"<CALL:4>W1AW<EOR><CALL:6>DL1ABC<EOR>", 0, true, 2},
        {"<?xml version=\"1.0\"?><ADX><RECORDS><RECORD><CALL>W1AW</CALL></RECORD>", 0, false, 1},
    };
    for (const auto &[bytes, damaged, whole, read] : cases) {
        SortJob job(world.countries, world.bureaus);
        job.addLog(dir.write("log", bytes));
        job.run();
        ASSERT_TRUE(job.done()) << job.error();
        EXPECT_EQ(job.reports().front().damaged, damaged) << bytes;
        EXPECT_EQ(job.readWhole(), whole) << bytes;
        EXPECT_EQ(job.result(QsoSelection::All).entries, read) << bytes;
    }
}

TEST(SortJob, readsALogThroughAPipe)
{
    // As vorn-sort <(export-the-log) hands it over: a name that leads to a pipe. The test keeps
    // the pipe open for reading, so that the writer need not wait for the job and what it wrote
    // stays in the pipe after it closed; the job then reads it to its end.
    const TempDir dir;
    const World world;
    const auto pipe = dir.path() / "log.adi";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int keeper = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(keeper, 0);
    std::ofstream(pipe, std::ios::binary) << "<CALL:4>W1AW<EOR><CALL:6>DL1ABC<EOR>";
    SortJob job(world.countries, world.bureaus);
    job.addLog(pipe);
    job.run();
    ::close(keeper);
    ASSERT_TRUE(job.done()) << job.error();
    EXPECT_EQ(job.result(QsoSelection::All).counted, 2u);
}

} // namespace
