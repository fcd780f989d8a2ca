// Loading both data files at their largest and looking calls up in full tables; loading the
// list of exact calls, and looking up with it.

#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "core/data/ExactCallList.h"
#include "core/lookup/CallLookup.h"
#include "core/text/CallText.h"

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

// The shipped data files as the program loads them, the list of exact calls too.
struct ShippedTables
{
    CountryTable countries;
    BureauTable bureaus;
    bool loaded = false;

    ShippedTables()
    {
        const fs::path shipped = VORN_SHIPPED_FILES;
        loaded = loadCountryTable(countries, shipped / "country.asc") &&
                 loadBureauTable(bureaus, shipped / "vorn.asc") &&
                 loadExactCallList(countries.exactCalls(), shipped / "calls.asc");
    }
};

// The calls of MASTER.SCP as the call field holds them, in file order.
const std::vector<std::string> &activeCalls()
{
    static const std::vector<std::string> calls = [] {
        std::vector<std::string> list;
        std::ifstream in(VORN_ACTIVE_CALLS);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.front() != '#')
                list.push_back(CallText::normalize(line));
        }
        return list;
    }();
    return calls;
}

void loadShippedFiles(benchmark::State &state)
{
    CountryTable countries;
    BureauTable bureaus;
    const fs::path shipped = VORN_SHIPPED_FILES;
    for (auto _ : state) {
        if (!loadCountryTable(countries, shipped / "country.asc") ||
            !loadBureauTable(bureaus, shipped / "vorn.asc"))
            state.SkipWithError("the shipped data files are missing");
        benchmark::DoNotOptimize(countries.count());
    }
}
BENCHMARK(loadShippedFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// The list of exact calls as the start-up loads it: read, checked and indexed.
void loadShippedExactCalls(benchmark::State &state)
{
    ExactCallList list;
    const fs::path shipped = VORN_SHIPPED_FILES;
    for (auto _ : state) {
        if (!loadExactCallList(list, shipped / "calls.asc"))
            state.SkipWithError("the shipped list of exact calls is missing or refused");
        benchmark::DoNotOptimize(list.count());
    }
    state.counters["calls"] = static_cast<double>(list.count());
}
BENCHMARK(loadShippedExactCalls)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every call of MASTER.SCP once per iteration, in wall time as the peers are measured; the time
// per call is the counter "per call".
template<typename LookUp> void lookUpEveryActiveCall(benchmark::State &state, LookUp lookUp)
{
    static const ShippedTables tables;
    const auto &calls = activeCalls();
    if (!tables.loaded || calls.empty()) {
        state.SkipWithError("the shipped data files or the list of active calls are missing");
        return;
    }
    for (auto _ : state) {
        for (const std::string &call : calls)
            lookUp(call, tables);
    }
    state.counters["per call"] = benchmark::Counter(static_cast<double>(calls.size()),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
    state.counters["calls"] = static_cast<double>(calls.size());
}

// The window's look-up: the three answers as texts.
void lookUpActiveCalls(benchmark::State &state)
{
    lookUpEveryActiveCall(state, [](const std::string &call, const ShippedTables &tables) {
        benchmark::DoNotOptimize(lookUpCall(call, tables.countries, tables.bureaus));
    });
}
BENCHMARK(lookUpActiveCalls)->Unit(benchmark::kMillisecond)->UseRealTime();

// vorn-lookup's look-up: the answer and the pieces of its texts, nothing built.
void findActiveCalls(benchmark::State &state)
{
    lookUpEveryActiveCall(state, [](const std::string &call, const ShippedTables &tables) {
        const auto answer = findAnswer(call, tables.countries, tables.bureaus);
        if (answer)
            benchmark::DoNotOptimize(answerTexts(*answer));
    });
}
BENCHMARK(findActiveCalls)->Unit(benchmark::kMillisecond)->UseRealTime();

// The exact calls of the list themselves, every one of them a hit: the list's slowest path.
void findListedCalls(benchmark::State &state)
{
    static const ShippedTables tables;
    static const std::vector<std::string> listed = [] {
        std::vector<std::string> calls;
        std::ifstream in(fs::path(VORN_SHIPPED_FILES) / "calls.asc", std::ios::binary);
        for (std::string number, call, code; in >> number >> call >> code;)
            calls.push_back(call);
        return calls;
    }();
    if (!tables.loaded || listed.empty()) {
        state.SkipWithError("the shipped list of exact calls is missing");
        return;
    }
    for (auto _ : state) {
        for (const std::string &call : listed) {
            const auto answer = findAnswer(call, tables.countries, tables.bureaus);
            if (answer)
                benchmark::DoNotOptimize(answerTexts(*answer));
        }
    }
    state.counters["per call"] = benchmark::Counter(static_cast<double>(listed.size()),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
BENCHMARK(findListedCalls)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
