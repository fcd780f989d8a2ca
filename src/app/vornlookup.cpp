// vorn-lookup: the look-up of the main window for scripts and shells. Loads country.asc and
// vorn.asc and prints, for every call, the three answers the window would show.

#include "data/BureauTable.h"
#include "data/CountryTable.h"
#include "data/DataFiles.h"
#include "lookup/CallLookup.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int ExitUsage = 1;
constexpr int ExitDataError = 2;

void printUsage(std::ostream &out)
{
    out << "Usage: vorn-lookup [-C DIR] [CALL...]\n"
           "\n"
           "Looks up call signs or prefixes the way Vorn's main window does and prints one\n"
           "line per call: the call as the call field holds it, the sort prefix, the QSL\n"
           "bureau and the DXCC / WAE entity, separated by tabs.\n"
           "\n"
           "  -C DIR    read country.asc and vorn.asc from DIR (default: the current directory)\n"
           "  --help    show this text\n"
           "\n"
           "Without CALL arguments every line of standard input is looked up. Calls are\n"
           "treated as typed into the call field: letters become capitals and only the first\n"
           "15 characters count. An empty call, or one of blanks only, prints the call and\n"
           "three empty fields.\n"
           "\n"
           "Exit status: 0 on success, 1 for a usage error, 2 when a data file cannot be loaded.\n";
}

void printAnswer(const std::string &typed, const CountryTable &countries,
                 const BureauTable &bureaus)
{
    const std::string call = CallField::normalize(typed);
    const auto result = lookUpCall(call, countries, bureaus);
    std::cout << call << '\t';
    if (result)
        std::cout << result->sortText << '\t' << result->bureauText << '\t' << result->entityText;
    else
        std::cout << "\t\t";
    std::cout << '\n';
}

} // namespace

int main(int argc, char **argv)
{
    std::filesystem::path dataDir = ".";
    std::vector<std::string> calls;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printUsage(std::cout);
            return 0;
        }
        if (arg == "-C") {
            if (++i == argc) {
                std::cerr << "vorn-lookup: -C needs a directory\n";
                printUsage(std::cerr);
                return ExitUsage;
            }
            dataDir = argv[i];
            continue;
        }
        if (arg == "--") {
            calls.insert(calls.end(), argv + i + 1, argv + argc);
            break;
        }
        calls.push_back(arg);
    }

    CountryTable countries;
    BureauTable bureaus;
    const auto countryFile = dataDir / DataFiles::CountryFile;
    if (const LoadResult loaded = loadCountryTable(countries, countryFile); !loaded) {
        std::cerr << "vorn-lookup: cannot read the country file " << countryFile.string() << ": "
                  << loaded.error.message() << '\n';
        return ExitDataError;
    }
    const auto bureauFile = dataDir / DataFiles::BureauFile;
    if (const LoadResult loaded = loadBureauTable(bureaus, bureauFile); !loaded) {
        std::cerr << "vorn-lookup: cannot read the bureau file " << bureauFile.string() << ": "
                  << loaded.error.message() << '\n';
        return ExitDataError;
    }

    if (!calls.empty()) {
        for (const auto &call : calls)
            printAnswer(call, countries, bureaus);
        return 0;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        printAnswer(line, countries, bureaus);
    }
    return 0;
}
