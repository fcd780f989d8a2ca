// Route calls, the choice of QSOs, cards and piles, the CSV and "Mark as sent", on small logs
// whose answers are known.

#include "logbook/LabelPlan.h"
#include "logbook/MarkAsSent.h"
#include "logbook/PileListing.h"
#include "logbook/QslRoute.h"
#include "logbook/SortJob.h"
#include "support/TestFiles.h"

#include <fcntl.h>
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
    };
    for (const auto &[via, manager] : cases)
        EXPECT_EQ(managerCall(via), manager) << via;
}

TEST(QslVia, notesThatAreNoManager)
{
    using K = QslViaKind;
    const std::pair<const char *, QslViaKind> cases[] = {
        {"", K::None},
        {" \t", K::None},
        {"via DL1ABC", K::Manager},
        {"mgr EA5XYZ direct or buro", K::Manager}, // a manager wins, as before
        {"QSL via: M0ABC (OQRS)", K::Manager},
        {"DIRECT", K::NotViaBureau},
        {"direct only", K::NotViaBureau},
        {"OQRS", K::NotViaBureau},
        {"Club Log OQRS", K::NotViaBureau},
        {"ClubLog", K::NotViaBureau},
        {"via Club Log", K::NotViaBureau},
        {"LoTW", K::NotViaBureau},
        {"LoTW, eQSL", K::NotViaBureau},
        {"e-QSL", K::NotViaBureau},
        {"eQSL.cc", K::NotViaBureau},
        {"no buro", K::NotViaBureau},
        {"NO BURO", K::NotViaBureau},
        {"no-buro", K::NotViaBureau},
        {"NOBURO", K::NotViaBureau},
        {"not via bureau", K::NotViaBureau},
        {"buro", K::Bureau},
        {"Bureau", K::Bureau},
        {"via buro", K::Bureau},
        {"direct or buro", K::Bureau},
        {"buro, no direct", K::Bureau},
        {"see QRZ.com", K::Unrecognised},
        {"home call", K::Unrecognised},
        {"QSL 2023", K::Unrecognised},
        {"Bruno", K::Unrecognised},
    };
    for (const auto &[via, kind] : cases)
        EXPECT_EQ(readQslVia(via).kind, kind) << via;
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
                           "K1,ARRL - call area 1,United States,VK9ZZ,W1AW,1\r\n"
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
                                 "DL | VK2/DL2XYZ | via DL5ZZZ | DARC | Germany\n"
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
                      {"QSO_DATE", "2024011"},
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
    EXPECT_EQ(qsoLine(sorted.qso(card.qsos[1])), "2024011 0907 40m SSB 59");
    std::ostringstream out;
    writeQsosCsv(out, sorted);
    EXPECT_EQ(
        out.str(),
        "pile,sort_prefix,bureau,entity,call,via,route,qso_date,time_on,band,mode,rst_sent\r\n"
        "DL,DL,DARC,Germany,DL1ABC,,DL1ABC,20240115,123456,20m,FT4,-10\r\n"
        "DL,DL,DARC,Germany,DL1ABC,,DL1ABC,2024011,0907,40m,SSB,59\r\n"
        "none,,none,North Korea,P5ABC,,P5ABC,,,,CW,\r\n");
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
    for (const LabelContent &label : planLabels(sorted, 3)) {
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
    EXPECT_EQ(planLabels(sorted, 0).size(), 11u); // a label takes one QSO at least
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
        {"DARC QSL bureau", "DARC QSL bureau"}, {"", ""},
        {"AMM, Monaco", "\"AMM, Monaco\""},     {"the \"best\"", "\"the \"\"best\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
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
    job.keepRecords();
    job.addLog(source);
    job.run();
    ASSERT_TRUE(job.done());
    const SortedLog sorted = job.result(QsoSelection::Waiting);
    const auto marked = entriesInBureauPiles(sorted, job.records().size());
    EXPECT_EQ(marked, (std::vector<bool>{true, false, true, false}));

    std::string error;
    ASSERT_TRUE(
        saveMarkedLog(dir.path() / "sent.adi", source, job.records(), marked, "20240102", error))
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
    EXPECT_FALSE(saveMarkedLog(dir.path() / "." / "log.adi", source, job.records(), marked,
                               "20240102", error));
    std::ifstream again(source, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), log);
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
