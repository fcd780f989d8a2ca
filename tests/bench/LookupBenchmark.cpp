// Loading both data files at their largest and looking calls up in full tables.

#include "data/BureauTable.h"
#include "data/CountryTable.h"
#include "lookup/CallLookup.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Full-size files whose every prefix is tried before the last row fits: the slowest look-up.
struct FullFiles
{
    fs::path dir = fs::temp_directory_path() / "vorn-bench-full";
    fs::path country = dir / "country.asc";
    fs::path bureau = dir / "vorn.asc";

    FullFiles()
    {
        fs::create_directories(dir);
        std::ofstream c(country, std::ios::binary);
        for (std::size_t i = 1; i < CountryTable::MaxRows; ++i)
            c << i << " Q" << i << "ZZ* E" << (i % 498) << "\r\n";
        c << "3499 DL DL\r\n";
        std::ofstream b(bureau, std::ios::binary);
        char record[80];
        char code[8];
        for (std::size_t i = 1; i < BureauTable::MaxRows; ++i) {
            std::snprintf(code, sizeof code, "E%zu", i);
            std::snprintf(record, sizeof record, "%-6s%-22s %-6s%-22s   Y\r\n", code,
                          "Some entity name", "S", "Some QSL bureau");
            b << record;
        }
        std::snprintf(record, sizeof record, "%-6s%-22s %-6s%-22s   Y\r\n", "DL",
                      "Fed. Rep. of Germany", "DL", "DARC QSL bureau");
        b << record;
    }
    ~FullFiles() { fs::remove_all(dir); }
};

const FullFiles &fullFiles()
{
    static const FullFiles files;
    return files;
}

void loadBothFiles(benchmark::State &state)
{
    CountryTable countries;
    BureauTable bureaus;
    for (auto _ : state) {
        const bool ok = loadCountryTable(countries, fullFiles().country) &&
                        loadBureauTable(bureaus, fullFiles().bureau);
        if (!ok || countries.count() != CountryTable::MaxRows ||
            bureaus.count() != BureauTable::MaxRows)
            state.SkipWithError("the full-size files did not load");
        benchmark::DoNotOptimize(countries.count());
    }
}
BENCHMARK(loadBothFiles)->Unit(benchmark::kMillisecond);

void lookUpInLastRows(benchmark::State &state)
{
    CountryTable countries;
    BureauTable bureaus;
    loadCountryTable(countries, fullFiles().country);
    loadBureauTable(bureaus, fullFiles().bureau);
    for (auto _ : state)
        benchmark::DoNotOptimize(lookUpCall("DL1ABC", countries, bureaus));
}
BENCHMARK(lookUpInLastRows)->Unit(benchmark::kMicrosecond);

// Real calls against the shipped data, one look-up per iteration.
void lookUpActiveCalls(benchmark::State &state)
{
    CountryTable countries;
    BureauTable bureaus;
    const fs::path shipped = VORN_SHIPPED_FILES;
    if (!loadCountryTable(countries, shipped / "country.asc") ||
        !loadBureauTable(bureaus, shipped / "vorn.asc")) {
        state.SkipWithError("the shipped data files are missing");
        return;
    }
    std::vector<std::string> calls;
    std::ifstream in(VORN_ACTIVE_CALLS);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.front() != '#')
            calls.push_back(CallField::normalize(line));
    }
    if (calls.empty()) {
        state.SkipWithError("no list of active calls");
        return;
    }
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lookUpCall(calls[next], countries, bureaus));
        next = (next + 1) % calls.size();
    }
    state.counters["calls"] = static_cast<double>(calls.size());
    state.counters["country rows"] = static_cast<double>(countries.count());
}
BENCHMARK(lookUpActiveCalls)->Unit(benchmark::kMicrosecond);

} // namespace
