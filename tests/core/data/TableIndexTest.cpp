// The indexes against the linear scans they replace: random tables over a small alphabet, so
// that prefixes and codes collide, and every call of MASTER.SCP on the shipped files.

#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "core/text/Ascii.h"
#include "core/text/CallText.h"
#include "support/TestFiles.h"

#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace {

// The scans: the first row in file order whose prefix fits, whose code is equal.
const CountryRow *scanCountries(const CountryTable &table, std::string_view key)
{
    for (const CountryRow &row : table.rows()) {
        if (row.prefix.size() <= key.size() &&
            Ascii::equalIgnoringCase(key.substr(0, row.prefix.size()), row.prefix))
            return &row;
    }
    return nullptr;
}

const BureauRow *scanBureaus(const BureauTable &table, std::string_view code)
{
    for (const BureauRow &row : table.rows()) {
        if (Ascii::equalIgnoringCase(row.entityCode, code))
            return &row;
    }
    return nullptr;
}

// A key as the look-up makes it of a call: at most 16 characters, and the end marker after a
// shorter call.
std::string lookupKey(std::string call)
{
    call.resize(std::min<std::size_t>(call.size(), 16));
    return call.size() < 16 ? call + '*' : call;
}

class RandomTables
{
public:
    // Letters in both cases, a digit, '/', the end marker, a blank, a tab and a byte above 0x7f.
    std::string text(std::size_t maxLength, std::string_view alphabet = "AaBb1/* \t\xe4")
    {
        std::string value(pick(maxLength + 1), ' ');
        for (char &c : value)
            c = alphabet[pick(alphabet.size())];
        return value;
    }

    // Rows repeat earlier prefixes, and prefixes run from empty to longer than any key.
    std::vector<CountryRow> countryRows(std::size_t count)
    {
        std::vector<CountryRow> rows;
        for (std::size_t i = 0; i < count; ++i) {
            std::string prefix = !rows.empty() && pick(4) == 0 ? rows[pick(rows.size())].prefix
                                                               : text(pick(8) == 0 ? 18 : 5);
            if (pick(3) == 0)
                prefix += '*';
            rows.push_back({prefix, text(2)});
        }
        return rows;
    }

    // A key as the look-up makes it: at most 16 characters, often a known prefix and more.
    std::string key(const std::vector<CountryRow> &rows)
    {
        std::string key = !rows.empty() && pick(2) ? rows[pick(rows.size())].prefix : "";
        key += text(pick(4) == 0 ? 16 : 4);
        return key.substr(0, 16);
    }

    std::size_t pick(std::size_t n)
    {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random);
    }

private:
    std::mt19937 m_random{20230502};
};

TEST(TableIndex, CountryIndexGivesTheScansRow)
{
    RandomTables random;
    CountryTable table; // refilled in place, also by shorter sets of rows
    for (int round = 0; round < 300; ++round) {
        const auto rows = random.countryRows(random.pick(round % 10 == 0 ? 3499 : 60));
        table.clear();
        for (const auto &row : rows)
            table.append(row);
        for (int i = 0; i < 200; ++i) {
            const std::string key = random.key(rows);
            ASSERT_EQ(table.firstFit(key), scanCountries(table, key))
                << "round " << round << ", key \"" << key << '"';
        }
    }
}

TEST(TableIndex, BureauIndexGivesTheScansRow)
{
    RandomTables random;
    BureauTable table;
    for (int round = 0; round < 300; ++round) {
        table.clear();
        const std::size_t count = random.pick(round % 10 == 0 ? 499 : 40);
        for (std::size_t i = 0; i < count; ++i)
            table.append(
                {random.text(random.pick(8) == 0 ? 9 : 3, "AazZ`{1 \xe1\xc1"), "n", "s", "b"});
        for (int i = 0; i < 200; ++i) {
            std::string code = count && random.pick(2) ? table.rows()[random.pick(count)].entityCode
                                                       : random.text(4, "AazZ`{1 \xe1\xc1");
            ASSERT_EQ(table.firstOf(code), scanBureaus(table, code)) << "code \"" << code << '"';
        }
    }
}

TEST(TableIndex, ReloadingAShorterFileLeavesNoStaleEntries)
{
    TempDir dir;
    CountryTable countries;
    BureauTable bureaus;
    const std::string record = "DL    Germany                DL    DARC                     Y";
    ASSERT_TRUE(loadCountryTable(countries, dir.write("country.asc", "1 K1ABC* K\r\n2 DL DL\r\n")));
    ASSERT_TRUE(loadBureauTable(bureaus, dir.write("vorn.asc", record + "\r\n")));
    ASSERT_NE(countries.firstFit("DL1ABC*"), nullptr);
    ASSERT_TRUE(loadCountryTable(countries, dir.write("country.asc", "1 F F\r\n")));
    ASSERT_TRUE(loadBureauTable(bureaus, dir.write("vorn.asc", "heading\r\n")));
    EXPECT_EQ(countries.firstFit("DL1ABC*"), nullptr);
    EXPECT_EQ(countries.firstFit("K1ABC*"), nullptr);
    EXPECT_EQ(bureaus.firstOf("DL"), nullptr);
    EXPECT_EQ(countries.firstFit("F1ABC*"), &countries.rows()[0]);
}

TEST(TableIndex, EveryActiveCallFindsTheScansRowsInTheShippedFiles)
{
    std::ifstream calls(VORN_ACTIVE_CALLS);
    ASSERT_TRUE(calls) << VORN_ACTIVE_CALLS << " cannot be read";
    const std::filesystem::path shipped = VORN_SHIPPED_FILES;
    CountryTable countries;
    BureauTable bureaus;
    ASSERT_TRUE(loadCountryTable(countries, shipped / "country.asc"));
    ASSERT_TRUE(loadBureauTable(bureaus, shipped / "vorn.asc"));
    std::size_t checked = 0;
    for (std::string line; std::getline(calls, line);) {
        const std::string key = lookupKey(CallText::normalize(line));
        const CountryRow *row = countries.firstFit(key);
        ASSERT_EQ(row, scanCountries(countries, key)) << line;
        if (row) {
            ASSERT_EQ(bureaus.firstOf(row->entityCode), scanBureaus(bureaus, row->entityCode));
        }
        ++checked;
    }
    EXPECT_GT(checked, 50000u);
}

} // namespace
