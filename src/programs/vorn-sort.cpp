// vorn-sort: sorts the QSL cards of whole logs into bureau piles, as Vorn's "Sort log" window
// does, for scripts and shells.

#include "logbook/PileListing.h"
#include "logbook/SortJob.h"
#include "programs/CommandLineData.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int ExitUsage = 1;
constexpr int ExitCannotRead = 2;

void printUsage(std::ostream &out)
{
    out << "Usage: vorn-sort [-C DIR] [--all] [--csv [--qsos]] LOGFILE...\n"
           "\n"
           "Sorts the outgoing QSL cards of one or more logs into bureau piles, as Vorn's\n"
           "\"Sort log\" window does: one card per worked station and route, in piles by the\n"
           "prefix the cards are sorted under, each with its QSL bureau and DXCC / WAE entity.\n"
           "Cards for bureaus outside the IARU, for entities without a bureau (\"none\") and\n"
           "for unknown or incomplete calls are set apart at the end.\n"
           "\n"
           "A LOGFILE is ADIF (.adi), ADX (ADIF as XML) or a plain list of calls separated\n"
           "by blanks, commas or line ends; \"-\" reads standard input. A QSO whose QSL_VIA\n"
           "names a manager goes to the manager's pile; one whose QSL_VIA asks for another\n"
           "way (direct, OQRS, LoTW, eQSL, no buro) is set apart, \"not via the bureau\".\n"
           "A portable or guest call (VK2/DL1ABC, DL1ABC/P) goes to the pile of its home\n"
           "call and shows the entity where he operates.\n"
           "\n"
           "  -C DIR    read country.asc, vorn.asc and calls.asc from DIR\n"
           "  --all     sort every QSO; by default only those whose QSL_SENT is Q or R (or\n"
           "            every QSO of a log without QSL_SENT), and none whose QSL_SENT_VIA is\n"
           "            D, E or M\n"
           "  --csv     print one row per card: sort_prefix,bureau,entity,call,via,qsos\n"
           "            (RFC 4180, lines ending in CR LF; a field that begins with =, +,\n"
           "            -, @, a tab or a CR is quoted behind an apostrophe, so that a\n"
           "            spreadsheet shows it instead of running it as a formula)\n"
           "  --qsos    with --csv, one row per QSO instead:\n"
           "            pile,sort_prefix,bureau,entity,call,via,route,qso_date,time_on,\n"
           "            band,mode,rst_sent\n"
           "  --help    show this text\n"
           "\n"
        << DataSourceHelp
        << "\n"
           "Damaged records are skipped and counted on standard error, and so is an ADX\n"
           "log that breaks off; QSL_VIA notes that are not understood are listed there.\n"
           "A file that is neither ADIF, ADX nor a list of calls is refused. A data file\n"
           "that loads but does not look like one gets a warning.\n"
           "\n"
           "Exit status: 0 on success, 1 for a usage error, 2 when a data file or a log\n"
           "cannot be read, or a file is not a log.\n";
}

int usageError(const std::string &message)
{
    std::cerr << "vorn-sort: " << message << '\n'
              << "Usage: vorn-sort [-C DIR] [--all] [--csv [--qsos]] LOGFILE...\n"
              << "Try 'vorn-sort --help' for more.\n";
    return ExitUsage;
}

} // namespace

int main(int argc, char **argv)
{
    // Standard output is written through the stream alone; a large listing goes out faster.
    std::ios::sync_with_stdio(false);
    std::optional<std::filesystem::path> dataDir;
    QsoSelection selection = QsoSelection::Waiting;
    bool csv = false;
    bool qsos = false;
    std::vector<std::filesystem::path> logs;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && (arg == "--help" || arg == "-h")) {
            printUsage(std::cout);
            return 0;
        }
        if (options && arg == "-C") {
            if (++i == argc)
                return usageError("-C needs a directory");
            dataDir = argv[i];
        } else if (options && arg == "--all") {
            selection = QsoSelection::All;
        } else if (options && arg == "--csv") {
            csv = true;
        } else if (options && arg == "--qsos") {
            qsos = true;
        } else if (options && arg == "--") {
            options = false;
        } else if (options && arg.size() > 1 && arg.front() == '-') {
            return usageError("unknown option " + arg);
        } else {
            logs.emplace_back(arg);
        }
    }
    if (logs.empty())
        return usageError("no log file given");
    if (qsos && !csv)
        return usageError("--qsos goes with --csv");
    dataDir = chooseDataDirectory("vorn-sort", dataDir);
    if (!dataDir) {
        reportNoDataDirectory("vorn-sort");
        return ExitCannotRead;
    }
    CountryTable countries;
    BureauTable bureaus;
    if (!loadDataTables("vorn-sort", *dataDir, countries, bureaus))
        return ExitCannotRead;

    SortJob job(countries, bureaus);
    for (const auto &log : logs)
        job.addLog(log);
    job.run();
    if (job.failed()) {
        std::cerr << "vorn-sort: " << job.error() << '\n';
        return ExitCannotRead;
    }
    for (const SortJob::LogReport &report : job.reports()) {
        const std::string name = report.file == "-" ? "standard input" : report.file.string();
        if (!report.problem.empty())
            std::cerr << "vorn-sort: " << name << ": " << report.problem
                      << "; reading stopped there\n";
        if (report.damaged > 0)
            std::cerr << "vorn-sort: " << name << ": " << counted(report.damaged, "damaged record")
                      << " skipped\n";
    }

    const SortedLog sorted = job.result(selection);
    if (const std::string notes = unreadNotesText(sorted); !notes.empty())
        std::cerr << "vorn-sort: " << notes << '\n';
    if (selection == QsoSelection::Waiting && sorted.entries > 0 && sorted.counted == 0)
        std::cerr << "vorn-sort: no QSO waits for the bureau (QSL_SENT Q or R); --all sorts every "
                     "QSO\n";
    if (qsos)
        writeQsosCsv(std::cout, sorted);
    else if (csv)
        writeCardsCsv(std::cout, sorted);
    else
        writePileListing(std::cout, sorted);
    std::cout.flush();
    return std::cout ? 0 : ExitCannotRead;
}
