// Checks the shipped data files against their sources: loads country.asc, vorn.asc and the list
// of exact calls calls.asc with the program's own loaders, looks up every call of MASTER.SCP and
// every exact call of cty.dat with the program's own look-up and compares the entity with what
// cty.dat says. Prints its figures and every disagreement; the exit code is 0 only when
// everything agrees.
//
// Usage: vorn-datacheck <folder with the data files> <cty.dat> <MASTER.SCP>

#include "CtyReference.h"
#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "core/data/DataFiles.h"
#include "core/data/ExactCallList.h"
#include "core/lookup/CallLookup.h"
#include "core/text/Ascii.h"
#include "core/text/CallText.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

constexpr std::size_t MaxShownDisagreements = 200;

class Report
{
public:
    void fail(const std::string &message)
    {
        ++m_failures;
        std::cout << "FAIL: " << message << '\n';
    }
    void expect(bool condition, const std::string &message)
    {
        if (!condition)
            fail(message);
    }
    void failQuietly() { ++m_failures; }
    int failures() const { return m_failures; }

private:
    int m_failures = 0;
};

std::optional<std::string> readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Splits a file written by the generator into lines; every line must end in CR LF.
std::vector<std::string> crLfLines(const std::string &bytes, const std::string &name,
                                   Report &report)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            report.fail(name + ": last line has no CR LF");
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        const bool plain =
            std::all_of(line.begin(), line.end(), [](char c) { return c >= ' ' && c <= '~'; });
        report.expect(plain,
                      name + " line " + std::to_string(i + 1) + ": control or non-ASCII character");
    }
    return lines;
}

void checkCountryFile(const std::string &bytes, const CountryTable &table, Report &report)
{
    const auto lines = crLfLines(bytes, DataFiles::CountryFile, report);
    report.expect(lines.size() <= CountryTable::MaxRows, "country.asc: more than 3,499 lines");
    report.expect(lines.size() == table.count(),
                  "country.asc: the loader read a different number of rows");
    for (std::size_t i = 0; i < lines.size() && i < table.count(); ++i) {
        const std::string &line = lines[i];
        const std::string where =
            "country.asc line " + std::to_string(i + 1) + " \"" + line + "\": ";
        const auto first = line.find(' ');
        const auto second = first == std::string::npos ? first : line.find(' ', first + 1);
        if (first == 0 || first == std::string::npos || second == std::string::npos ||
            second == first + 1 || line.find(' ', second + 1) != std::string::npos ||
            second + 1 == line.size()) {
            report.fail(where + "not three tokens separated by single blanks");
            continue;
        }
        const std::string prefix = line.substr(first + 1, second - first - 1);
        const std::string code = line.substr(second + 1);
        report.expect(prefix.size() <= CountryTable::PrefixWidth, where + "prefix longer than 16");
        report.expect(code.size() <= CountryTable::EntityCodeWidth,
                      where + "entity code longer than 6");
        report.expect(prefix.find_first_of("([") == std::string::npos,
                      where + "prefix holds ( or [");
        const CountryRow &row = table.rows()[i];
        report.expect(row.prefix == prefix && row.entityCode == code, where + "loaded differently");
    }
}

// Every line three tokens, as country.asc writes them: the DXCC number, a call that the call
// field takes, and its entity code; no call twice, and none that country.asc holds as a row.
void checkCallsFile(const std::string &bytes, const CountryTable &countries, Report &report)
{
    const auto lines = crLfLines(bytes, DataFiles::CallsFile, report);
    std::set<std::string> rows;
    for (const CountryRow &row : countries.rows())
        rows.insert(Ascii::upperText(row.prefix));
    std::set<std::string> calls;
    const std::regex form("[0-9]+ ([A-Z0-9/]{1,15}) ([^ ]{1,6})");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string where =
            "calls.asc line " + std::to_string(i + 1) + " \"" + lines[i] + "\": ";
        std::smatch match;
        if (!std::regex_match(lines[i], match, form)) {
            report.fail(where + "not a DXCC number, a call and an entity code");
            continue;
        }
        report.expect(calls.insert(match[1]).second, where + "call listed twice");
        report.expect(!rows.contains(match[1].str() + "*"), where + "country.asc holds the call");
    }
    report.expect(bytes.size() <= ExactCallList::MaxFileBytes, "calls.asc: larger than 2 MiB");
    report.expect(lines.size() == countries.exactCalls().count(),
                  "calls.asc: the loader read a different number of calls");
}

void checkBureauFile(const std::string &bytes, const BureauTable &table, Report &report)
{
    const auto lines = crLfLines(bytes, DataFiles::BureauFile, report);
    std::size_t records = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (line.size() <= 60)
            continue; // a heading
        const std::string where = "vorn.asc line " + std::to_string(i + 1) + ": ";
        ++records;
        report.expect(line.size() == BureauTable::RecordLength,
                      where + "record is not 61 characters");
        if (line.size() < BureauTable::RecordLength)
            continue;
        // Every field left-aligned in its columns, the unread columns blank.
        for (const auto &[start, width] :
             {std::pair<std::size_t, std::size_t>{0, 6}, {6, 22}, {29, 6}, {35, 22}}) {
            const std::string field = line.substr(start, width);
            report.expect(field.front() != ' ' || field.find_first_not_of(' ') == std::string::npos,
                          where + "field at column " + std::to_string(start + 1) +
                              " not left-aligned");
        }
        report.expect(line[28] == ' ' && line.substr(57, 3) == "   ",
                      where + "columns 29 or 58-60 not blank");
        report.expect(line[60] == 'Y' || line[60] == 'N', where + "column 61 neither Y nor N");
        report.expect(line.substr(0, 6).find_first_not_of(' ') != std::string::npos,
                      where + "no entity code");
        report.expect(line.substr(6, 22).find_first_not_of(' ') != std::string::npos,
                      where + "no entity name");
        report.expect(line.substr(29, 6).find_first_not_of(' ') != std::string::npos,
                      where + "no sort prefix");
    }
    report.expect(records <= BureauTable::MaxRows, "vorn.asc: more than 499 records");
    report.expect(records == table.count(),
                  "vorn.asc: the loader read a different number of records");
}

// The data version and program version that every reader takes from the first two lines, then
// a line for each data file, whose size and digest vorn_data_files_reproducible compares;
// calls.asc after the two that older readers know.
void checkUpdateFile(const std::string &bytes, Report &report)
{
    const auto lines = crLfLines(bytes, DataFiles::UpdateInfoFile, report);
    if (lines.size() != 5) {
        report.fail("vorn_update.asc: not five lines");
        return;
    }
    for (const auto &[index, name] : {std::pair<std::size_t, std::string_view>{2, "country.asc "},
                                      {3, "vorn.asc "},
                                      {4, "calls.asc "}})
        report.expect(lines[index].starts_with(name), "vorn_update.asc line " +
                                                          std::to_string(index + 1) +
                                                          " does not name " + std::string(name));
    std::int32_t version = 0;
    const auto [end, error] =
        std::from_chars(lines[0].data(), lines[0].data() + lines[0].size(), version);
    report.expect(error == std::errc() && end == lines[0].data() + lines[0].size() && version > 0,
                  "vorn_update.asc: data version \"" + lines[0] +
                      "\" is no positive 32-bit integer");
    report.expect(lines[1] == "302",
                  "vorn_update.asc: program version \"" + lines[1] + "\" is not 302");
}

const BureauRow *bureauRowOf(const BureauTable &bureaus, std::string_view code)
{
    for (const BureauRow &row : bureaus.rows()) {
        if (Ascii::upperText(row.entityCode) == Ascii::upperText(code))
            return &row;
    }
    return nullptr;
}

// Codes, names and sort prefixes as the look-up needs them.
void checkTables(const CountryTable &countries, const BureauTable &bureaus, const CtyReference &cty,
                 Report &report)
{
    std::map<std::string, std::string> codes;
    std::set<std::string> names;
    for (const BureauRow &row : bureaus.rows()) {
        const auto [it, added] = codes.emplace(Ascii::upperText(row.entityCode), row.entityCode);
        report.expect(added, "entity codes " + it->second + " and " + row.entityCode + " collide");
        report.expect(names.insert(row.entityName).second,
                      "entity name \"" + row.entityName + "\" twice");
        report.expect(row.entityName.size() <= 22 && row.bureauName.size() <= 22 &&
                          row.sortPrefix.size() <= 6,
                      row.entityCode + ": field too wide");
    }
    for (const CtyEntity &entity : cty.entities())
        report.expect(bureauRowOf(bureaus, entity.code) != nullptr,
                      "cty.dat entity " + entity.code + " has no bureau row");
    report.expect(bureaus.count() == cty.entities().size(),
                  "vorn.asc has rows for entities cty.dat does not know");

    std::set<std::string> reached;
    for (const CountryRow &row : countries.rows()) {
        report.expect(bureauRowOf(bureaus, row.entityCode) != nullptr,
                      "country row " + row.prefix + ": entity code " + row.entityCode +
                          " has no bureau row");
        reached.insert(Ascii::upperText(row.entityCode));
    }
    for (const BureauRow &row : bureaus.rows())
        report.expect(reached.contains(Ascii::upperText(row.entityCode)),
                      "bureau row " + row.entityCode + " is reached by no prefix");

    // The call-area rules hang on three sort prefixes; they belong to these entities only.
    const auto usa = cty.entityOfPrefix("K");
    const auto australia = cty.entityOfPrefix("VK");
    const auto guantanamo = cty.entityOfPrefix("KG4");
    for (const BureauRow &row : bureaus.rows()) {
        const std::string &code = row.entityCode;
        if (row.sortPrefix == "K")
            report.expect(code == usa, code + ": sort prefix K belongs to the USA only");
        if (row.sortPrefix == "KG4")
            report.expect(code == guantanamo,
                          code + ": sort prefix KG4 belongs to Guantanamo Bay only");
        if (row.sortPrefix == "VK")
            report.expect(code == australia || code.starts_with("VK9") || code.starts_with("VK0"),
                          code + ": sort prefix VK belongs to Australia and VK9 / VK0 only");
        if (code == usa || code == australia || code == guantanamo || code.starts_with("VK9") ||
            code.starts_with("VK0"))
            report.expect(row.sortPrefix == "K" || row.sortPrefix == "VK" ||
                              row.sortPrefix == "KG4",
                          code + ": needs its call-area sort prefix");
        if (row.sortPrefix == "K" || row.sortPrefix == "VK")
            report.expect(!row.bureauName.empty() &&
                              row.bureauName.size() + std::string_view(" - call area 9/0").size() <=
                                  41,
                          code + ": bureau name does not carry a call-area suffix");
    }
}

// What the look-up reports as the entity, in the same terms as cty.dat's entity.
std::string reportedEntity(const std::optional<LookupResult> &result, const BureauTable &bureaus)
{
    if (!result)
        return {};
    switch (result->outcome) {
    case LookupOutcome::NotFound:
    case LookupOutcome::OneCharacter:
    case LookupOutcome::AreaMissing:
        return {};
    case LookupOutcome::KG4Usa: {
        // "USA" stands for the entity whose cards go by US call area.
        for (const BureauRow &row : bureaus.rows()) {
            if (row.sortPrefix == "K")
                return row.entityName;
        }
        return "USA";
    }
    default:
        return result->entityText;
    }
}

struct Figures
{
    std::size_t calls = 0;
    std::size_t agreeing = 0;
    std::size_t unknownToBoth = 0;
    std::size_t byExactRow = 0;
    std::size_t kg4Usa = 0;
    std::size_t tooLong = 0;
};

Figures checkMasterScp(const std::string &bytes, const CountryTable &countries,
                       const BureauTable &bureaus, const CtyReference &cty, Report &report)
{
    std::set<std::string> exactRows;
    for (const CountryRow &row : countries.rows()) {
        if (row.prefix.ends_with('*'))
            exactRows.insert(Ascii::upperText(row.prefix.substr(0, row.prefix.size() - 1)));
    }
    Figures figures;
    std::istringstream in(bytes);
    std::size_t shown = 0;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        const std::string call = Ascii::upperText(line);
        if (call.size() > CallText::MaxLength) {
            ++figures.tooLong; // cannot be typed
            continue;
        }
        ++figures.calls;
        const auto result = lookUpCall(call, countries, bureaus);
        const auto expectedCode = cty.entityOf(call);
        const BureauRow *expectedRow = expectedCode ? bureauRowOf(bureaus, *expectedCode) : nullptr;
        const std::string expected = expectedRow ? expectedRow->entityName : std::string();
        const std::string reported = reportedEntity(result, bureaus);
        if (result && result->outcome == LookupOutcome::KG4Usa)
            ++figures.kg4Usa;
        if (exactRows.contains(call))
            ++figures.byExactRow;
        if (reported == expected) {
            // No prefix of cty.dat fits either (such as 1N7N or XX0XX): "unknown" agrees.
            if (expected.empty())
                ++figures.unknownToBoth;
            ++figures.agreeing;
            continue;
        }
        if (shown++ < MaxShownDisagreements)
            report.fail("MASTER.SCP " + call + ": cty.dat \"" + expected + "\", look-up \"" +
                        reported + '"');
        else
            report.failQuietly(); // counted, but the first ones tell enough
    }
    if (shown > MaxShownDisagreements)
        std::cout << "(" << shown - MaxShownDisagreements << " further disagreements not shown)\n";
    return figures;
}

struct ExactFigures
{
    std::size_t calls = 0;
    std::size_t agreeing = 0;
    std::size_t releaseMarkers = 0;
    std::size_t byTheKg4Rule = 0;
    std::size_t tooLong = 0;
};

// Every exact call of cty.dat, in call order, through the look-up. Three kinds cannot answer
// cty.dat's entity, each for a reason of its own, and are counted apart: the pseudo-calls that
// carry cty.dat's release (VERSION, VER20250930), no stations; calls longer than the call field
// takes; and KG4 calls that cty.dat lists under Guantanamo Bay but whose suffix is not of two
// characters, which the look-up's KG4 rule answers as US calls, as it answers every such call.
// With report set, every other disagreement is a failure.
ExactFigures checkExactCalls(const CountryTable &countries, const BureauTable &bureaus,
                             const CtyReference &cty, Report *report)
{
    const std::map<std::string, std::string> sorted(cty.exactCalls().begin(),
                                                    cty.exactCalls().end());
    const std::regex releaseMarker("VER[0-9]{8}|VERSION");
    ExactFigures figures;
    std::size_t shown = 0;
    for (const auto &[call, code] : sorted) {
        ++figures.calls;
        const BureauRow *expectedRow = bureauRowOf(bureaus, code);
        const std::string expected = expectedRow ? expectedRow->entityName : std::string();
        const auto result = lookUpCall(call, countries, bureaus);
        const std::string reported = reportedEntity(result, bureaus);
        if (reported == expected && call.size() <= CallText::MaxLength) {
            ++figures.agreeing;
            continue;
        }
        if (std::regex_match(call, releaseMarker)) {
            ++figures.releaseMarkers;
            continue;
        }
        if (call.size() > CallText::MaxLength) {
            ++figures.tooLong;
            continue;
        }
        const std::size_t callLength = std::min(call.size(), call.find('/'));
        if (code == CtyReference::GuantanamoCode && call.starts_with("KG4") && callLength != 5 &&
            result && result->outcome == LookupOutcome::KG4Usa) {
            ++figures.byTheKg4Rule;
            if (report)
                std::cout << "exact call " << call << ": cty.dat \"" << expected
                          << "\", the KG4 rule answers \"" << reported << "\"\n";
            continue;
        }
        if (!report)
            continue;
        if (shown++ < MaxShownDisagreements)
            report->fail("cty.dat exact call " + call + ": cty.dat \"" + expected +
                         "\", look-up \"" + reported + '"');
        else
            report->failQuietly();
    }
    return figures;
}

struct WellKnownCall
{
    const char *call;
    const char *sortText;
    const char *bureauText;
    const char *entityText;
};

// Answers a ham expects, one row per rule of the look-up that the data must serve.
const WellKnownCall wellKnownCalls[] = {
    // USA: the call area comes from the first digit; area 4 is split by the prefix length.
    {"W1AW", "K1", "ARRL QSL bureau - call area 1", "United States"},
    {"N4AB", "K4", "ARRL QSL bureau - call area 4a", "United States"},
    {"W4ABC", "K4", "ARRL QSL bureau - call area 4a", "United States"},
    {"KA4XY", "KA4", "ARRL QSL bureau - call area 4b", "United States"},
    {"AA4AB", "KA4", "ARRL QSL bureau - call area 4b", "United States"},
    {"K1ABC/4", "K1", "ARRL QSL bureau - call area 1", "United States"},
    {"AD6E", "K6", "ARRL QSL bureau - call area 6", "United States"},
    {"K", "call incomplete (call area missing)", "", ""},
    // Guantanamo Bay keeps KG4 with two letters; other KG4 calls are US area 4.
    // Guantanamo Bay has no bureau: no sort prefix and "none", as for every such entity.
    {"KG4AB", "", "none", "Guantanamo Bay"},
    {"KG4/W1ABC", "", "none", "Guantanamo Bay"},
    {"KG4AB/P", "", "none", "Guantanamo Bay"},
    {"KG4ABC/P", "KA4", "USA - call area 4b", "USA"},
    {"KG4ABC", "KA4", "USA - call area 4b", "USA"},
    {"KG4A", "KA4", "USA - call area 4b", "USA"},
    // US entities with a bureau of their own.
    {"KH6ABC", "KH6", "ARRL KH6 QSL bureau", "Hawaii"},
    {"KL7ABC", "KL7", "ARRL KL7 QSL bureau", "Alaska"},
    {"KP4ABC", "KP4", "ARRL KP4 QSL bureau", "Puerto Rico"},
    // Australia and its VK9 / VK0 entities.
    {"VK3ABC", "VK3", "WIA QSL bureau - call area 3", "Australia"},
    {"VK9NS", "VK9", "WIA QSL bureau - call area 9/0", "Norfolk Island"},
    {"VK9XX", "VK9", "WIA QSL bureau - call area 9/0", "Christmas Island"},
    {"VK0EK", "VK9", "WIA QSL bureau - call area 9/0", "Heard Island"},
    // Europe, WAE entities included.
    {"DL1ABC", "DL", "DARC QSL bureau", "Fed. Rep. of Germany"},
    {"DL/K1ABC", "DL", "DARC QSL bureau", "Fed. Rep. of Germany"},
    {"G4ABC", "G", "RSGB QSL bureau", "England"},
    {"M0ABC", "G", "RSGB QSL bureau", "England"},
    {"2E0ABC", "G", "RSGB QSL bureau", "England"},
    {"GM3ABC", "G", "RSGB QSL bureau", "Scotland"},
    {"GM4PVM", "G", "RSGB QSL bureau", "Shetland Islands"},
    {"F5ABC", "F", "REF QSL bureau", "France"},
    {"I2ABC", "I", "ARI QSL bureau", "Italy"},
    {"IT9ABC", "I", "ARI QSL bureau", "Sicily"},
    {"OH0ABC", "OH", "SRAL QSL bureau", "Aland Islands"},
    {"PA3ABC", "PA", "DQB (VERON/VRZA)", "Netherlands"},
    {"TA1ABC", "TA", "TRAC QSL bureau", "European Turkey"},
    {"4U1A", "OE", "OEVSV QSL bureau", "Vienna Intl Ctr"},
    {"UA9ABC", "UA", "SRR QSL bureau", "Asiatic Russia"},
    // No bureau, and a prefix that is not a one-character one.
    {"1A0KM", "", "none", "Sov Mil Order of Malta"},
    {"B1ABC", "BY", "CRAC QSL bureau", "China"},
    // Bureaus that take no mail, one that cards reach through another's, an IARU member's.
    {"EP2ABC", "", "none", "Iran"},
    {"YK1AA", "", "none", "Syria"},
    {"ZC4A", "5B", "CARS QSL bureau", "UK Bases on Cyprus"},
    {"ET3AA", "ET", "ET QSL bureau", "Ethiopia"},
    {"5B4AB", "5B", "CARS QSL bureau", "Cyprus"},
    // Antarctic bases, whose prefixes name their home countries, answer by their exact calls.
    {"KC4AAA", "", "none", "Antarctica"},
    // Exact calls of the list: Mount Athos, stations that moved, a call of the USA that has
    // no call area of its own.
    {"SV2ASP/A", "SV", "RAAG QSL bureau", "Mount Athos"},
    {"SV2RSG/A", "SV", "RAAG QSL bureau", "Mount Athos"},
    {"G8ERJ", "K", "ARRL QSL bureau", "United States"},
    {"KP3RK", "K", "ARRL QSL bureau", "United States"},
    {"4U1WB", "K", "ARRL QSL bureau", "United States"},
    {"W\xd8"
     "ABC",
     "K0", "ARRL QSL bureau - call area 0", "United States"},
    {"KC4USV", "", "none", "Antarctica"},
    {"DP0GVN", "", "none", "Antarctica"},
    {"VP8ROT", "", "none", "Antarctica"},
    // A bureau outside the IARU.
    {"4U1ITU", "4U1I", "4U1ITU QSL bureau (non IARU)", "ITU HQ"},
    {"JA1ABC", "JA", "JARL QSL bureau", "Japan"},
};

void checkWellKnownCalls(const CountryTable &countries, const BureauTable &bureaus, Report &report)
{
    for (const WellKnownCall &known : wellKnownCalls) {
        // As the call field holds what is typed: WØABC with the digit 0.
        const auto result = lookUpCall(CallText::normalize(known.call), countries, bureaus);
        const LookupResult empty;
        const LookupResult &got = result ? *result : empty;
        const bool same = result && got.sortText == known.sortText &&
                          got.bureauText == known.bureauText && got.entityText == known.entityText;
        report.expect(same, std::string("well-known call ") + known.call + ": got \"" +
                                got.sortText + "\" | \"" + got.bureauText + "\" | \"" +
                                got.entityText + "\", expected \"" + known.sortText + "\" | \"" +
                                known.bureauText + "\" | \"" + known.entityText + '"');
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::cerr << "usage: vorn-datacheck <data folder> <cty.dat> <MASTER.SCP>\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    Report report;

    CtyReference cty;
    std::string error;
    const auto masterScp = readFile(argv[3]);
    if (!cty.load(argv[2], error) || !masterScp) {
        std::cerr << (error.empty() ? std::string("cannot read ") + argv[3] : error) << '\n';
        return 2;
    }

    CountryTable countries;
    BureauTable bureaus;
    const CallListLoad callsLoad =
        loadExactCallList(countries.exactCalls(), folder / DataFiles::CallsFile);
    report.expect(static_cast<bool>(callsLoad), "calls.asc does not load: " + callsLoad.reason());
    const LoadResult countryLoad = loadCountryTable(countries, folder / DataFiles::CountryFile);
    report.expect(static_cast<bool>(countryLoad),
                  "country.asc does not load: " + countryLoad.error.message());
    const LoadResult bureauLoad = loadBureauTable(bureaus, folder / DataFiles::BureauFile);
    report.expect(static_cast<bool>(bureauLoad),
                  "vorn.asc does not load: " + bureauLoad.error.message());
    const auto countryBytes = readFile(folder / DataFiles::CountryFile);
    const auto bureauBytes = readFile(folder / DataFiles::BureauFile);
    const auto updateBytes = readFile(folder / DataFiles::UpdateInfoFile);
    const auto callsBytes = readFile(folder / DataFiles::CallsFile);
    if (!countryBytes || !bureauBytes || !updateBytes || !callsBytes) {
        std::cerr << "cannot read the data files in " << folder << '\n';
        return 2;
    }

    checkCountryFile(*countryBytes, countries, report);
    checkBureauFile(*bureauBytes, bureaus, report);
    checkCallsFile(*callsBytes, countries, report);
    checkUpdateFile(*updateBytes, report);
    checkTables(countries, bureaus, cty, report);
    checkWellKnownCalls(countries, bureaus, report);
    const Figures figures = checkMasterScp(*masterScp, countries, bureaus, cty, report);
    const ExactFigures exact = checkExactCalls(countries, bureaus, cty, &report);
    CountryTable rowsOnly = countries; // as a Vorn without calls.asc answers
    rowsOnly.exactCalls().clear();
    const ExactFigures withoutList = checkExactCalls(rowsOnly, bureaus, cty, nullptr);

    const auto exactRows =
        std::count_if(countries.rows().begin(), countries.rows().end(),
                      [](const CountryRow &row) { return row.prefix.ends_with('*'); });
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.3f",
                  figures.calls ? 100.0 * static_cast<double>(figures.agreeing) /
                                      static_cast<double>(figures.calls)
                                : 0.0);
    std::cout << "country rows used: " << countries.count() << " of " << CountryTable::MaxRows
              << " (" << exactRows << " exact calls, "
              << countries.count() - static_cast<std::size_t>(exactRows) << " prefixes)\n"
              << "bureau records: " << bureaus.count() << " for " << cty.entities().size()
              << " cty.dat entities\n"
              << "MASTER.SCP calls checked: " << figures.calls << " (" << figures.tooLong
              << " too long to type)\n"
              << "agreeing with cty.dat: " << figures.agreeing << " (" << percent
              << " %), of them unknown to both: " << figures.unknownToBoth << '\n'
              << "disagreeing: " << figures.calls - figures.agreeing << '\n'
              << "calls with an exact-call row: " << figures.byExactRow
              << "; KG4 calls of the USA: " << figures.kg4Usa << '\n'
              << "exact calls in calls.asc: " << countries.exactCalls().count() << '\n'
              << "cty.dat exact calls checked: " << exact.calls
              << ", answering cty.dat's entity: " << exact.agreeing
              << " (without calls.asc: " << withoutList.agreeing << ")\n"
              << "  not answering it: " << exact.releaseMarkers
              << " release markers (no stations), " << exact.byTheKg4Rule
              << " KG4 calls that the KG4 rule makes US calls, " << exact.tooLong
              << " too long to type, "
              << exact.calls - exact.agreeing - exact.releaseMarkers - exact.byTheKg4Rule -
                     exact.tooLong
              << " others\n"
              << "well-known calls checked: " << std::size(wellKnownCalls) << '\n'
              << (report.failures() ? "FAILED: " + std::to_string(report.failures()) + " problems\n"
                                    : "all checks passed\n");
    return report.failures() ? 1 : 0;
}
