// vorn-sort: sorts the QSL cards of whole logs into bureau piles, as Vorn's "Sort log" window
// does, for scripts and shells.

#include "logbook/LabelPlan.h"
#include "logbook/PileListing.h"
#include "logbook/SortJob.h"
#include "print/LabelSheet.h"
#include "print/PdfFile.h"
#include "print/SortSheet.h"
#include "programs/CommandLineData.h"

#include <QDate>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QPagedPaintDevice>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int ExitUsage = 1;
constexpr int ExitCannotRead = 2;
// Sorted, but what was sorted is not the whole log: a script must not take it as done.
constexpr int ExitIncomplete = 3;
// A PDF that was asked for could not be written; the one there before is kept.
constexpr int ExitCannotWrite = 4;

constexpr const char *Usage =
    "Usage: vorn-sort [-C DIR] [--all] [--csv [--qsos]] [--sheet FILE.pdf]\n"
    "                 [--labels FILE.pdf [--label-sheet NAME] [--start ROW,COL]\n"
    "                 [--no-headings] [--own-call CALL]] LOGFILE...\n";

std::string sheetNames()
{
    // The captions' multiplication signs as the letter, for a terminal that shows ASCII only.
    const std::string times = "\u00d7";
    std::string names;
    for (const LabelStock &stock : labelStocks()) {
        std::string caption(stock.caption);
        for (std::size_t at; (at = caption.find(times)) != std::string::npos;)
            caption.replace(at, times.size(), "x");
        names += "              " + std::string(stock.name) +
                 std::string(12 - std::min<std::size_t>(11, stock.name.size()), ' ') + caption +
                 '\n';
    }
    return names;
}

void printUsage(std::ostream &out)
{
    out << Usage
        << "\n"
           "Sorts the outgoing QSL cards of one or more logs into bureau piles, as Vorn's\n"
           "\"Sort log\" window does: one card per worked station and route, in piles by the\n"
           "prefix the cards are sorted under, each with its QSL bureau and DXCC / WAE entity.\n"
           "Cards for bureaus outside the IARU, for entities without a bureau (\"none\") and\n"
           "for unknown or incomplete calls are set apart at the end.\n"
           "\n"
           "A LOGFILE is ADIF (.adi), ADX (ADIF as XML) or a plain list of calls separated\n"
           "by blanks, commas or line ends; \"-\" reads standard input. A QSO whose QSL_VIA\n"
           "names a manager goes to the manager's pile, naming the worked station's entity;\n"
           "one whose QSL_VIA asks for another way (direct, OQRS, LoTW, eQSL, no buro) is\n"
           "set apart, \"not via the bureau\", and so is a manager named with \"direct\" or\n"
           "\"no buro\" (\"via W3HNK direct\"): that card goes to him directly.\n"
           "A portable or guest call (VK2/DL1ABC, DL1ABC/P) goes to the pile of its home\n"
           "call and shows the entity where he operates.\n"
           "\n"
           "  -C DIR    read country.asc, vorn.asc and calls.asc from DIR\n"
           "  --all     sort every QSO; by default only those whose QSL_SENT is Q or R (or\n"
           "            every QSO of a log without QSL_SENT), and none whose QSL_SENT_VIA is\n"
           "            D, E or M\n"
           "  --csv     print one row per card: sort_prefix,bureau,entity,call,via,qsos\n"
           "            (via: the manager, or \"home call DL1ABC\" for a portable call)\n"
           "            (RFC 4180, lines ending in CR LF; a field that begins with =, +,\n"
           "            -, @, a tab or a CR is quoted behind an apostrophe, so that a\n"
           "            spreadsheet shows it instead of running it as a formula)\n"
           "  --qsos    with --csv, one row per QSO instead:\n"
           "            pile,sort_prefix,bureau,entity,call,via,route,qso_date,time_on,\n"
           "            band,mode,rst_sent\n"
           "  --sheet FILE.pdf\n"
           "            write the sorting sheet as PDF (A4, or US Letter where the locale\n"
           "            measures in inches), as the window's \"Save as PDF\" does\n"
           "  --labels FILE.pdf\n"
           "            write the address labels as PDF, one per card in pile order, as the\n"
           "            window's \"Print labels\" does\n"
           "  --label-sheet NAME\n"
           "            the sheet of labels (a4-3x8 unless given):\n"
        << sheetNames()
        << "  --start ROW,COL\n"
           "            the first free label of a partly used sheet, counted from 1,1 at\n"
           "            the top left\n"
           "  --no-headings\n"
           "            no heading label before each pile\n"
           "  --own-call CALL\n"
           "            \"de CALL\" on each label\n"
           "  --help    show this text\n"
           "\n"
           "A PDF file is written beside its name and takes the name only once it is\n"
           "whole: a full disk leaves the old file as it was. With --sheet or --labels\n"
           "and without --csv, nothing is written to standard output.\n"
           "\n"
        << DataSourceHelp
        << "\n"
           "Damaged records are skipped and counted on standard error, and so is an ADX\n"
           "log that breaks off; QSL_VIA notes that are not understood are listed there.\n"
           "A file that is neither ADIF, ADX nor a list of calls is refused. A data file\n"
           "that loads but does not look like one gets a warning.\n"
           "\n"
           "Exit status: 0 when every log was sorted whole, 1 for a usage error, 2 when a\n"
           "data file or a log cannot be read, or a file is not a log, 3 when the logs were\n"
           "sorted but damaged records were skipped or an ADX log broke off, 4 when a PDF\n"
           "file cannot be written.\n";
}

int usageError(const std::string &message)
{
    std::cerr << "vorn-sort: " << message << '\n' << Usage << "Try 'vorn-sort --help' for more.\n";
    return ExitUsage;
}

// "3,2": row and column of the first free label, each from 1 to what the sheet has.
std::optional<std::size_t> startLabel(const std::string &text, const LabelStock &stock,
                                      LabelOptions &options)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    const auto number = [](std::string_view digits) -> std::optional<std::size_t> {
        if (digits.empty() || digits.size() > 4 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        return static_cast<std::size_t>(std::stoul(std::string(digits)));
    };
    const auto row = number(std::string_view(text).substr(0, comma));
    const auto column = number(std::string_view(text).substr(comma + 1));
    if (!row || !column)
        return std::nullopt;
    options.startRow = *row;
    options.startColumn = *column;
    return stock.grid().labelAt(*row, *column);
}

// The toolkit's notes about the desktop it does not use (no runtime folder, say) are no news to
// the user of a command-line tool; its other messages go to standard error as usual.
void skipDesktopNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::cerr << qPrintable(qFormatLogMessage(type, context, message)) << '\n';
}

// Paints a PDF file as the window does; the reason on standard error when it cannot be written.
bool writePdf(const std::filesystem::path &file, const QString &title,
              const std::function<bool(QPagedPaintDevice &)> &paint)
{
    std::string error;
    if (savePdf(file, title, paint, error))
        return true;
    std::cerr << "vorn-sort: " << error << '\n';
    return false;
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
    std::optional<std::filesystem::path> sheetPdf;
    std::optional<std::filesystem::path> labelsPdf;
    const LabelStock *stock = &labelStocks().front();
    std::optional<std::string> start;
    LabelOptions labelOptions;
    bool labelOptionGiven = false;
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
        } else if (options && (arg == "--sheet" || arg == "--labels" || arg == "--label-sheet" ||
                               arg == "--start" || arg == "--own-call")) {
            if (++i == argc)
                return usageError(arg + " needs a value");
            const std::string value = argv[i];
            if (arg == "--sheet") {
                sheetPdf = value;
            } else if (arg == "--labels") {
                labelsPdf = value;
            } else if (arg == "--label-sheet") {
                stock = findLabelStock(value);
                if (stock == nullptr)
                    return usageError("no sheet of labels is named " + value +
                                      "; --help lists them");
                labelOptionGiven = true;
            } else if (arg == "--start") {
                start = value;
                labelOptionGiven = true;
            } else {
                labelOptions.ownCall = value;
                labelOptionGiven = true;
            }
        } else if (options && arg == "--no-headings") {
            labelOptions.headings = false;
            labelOptionGiven = true;
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
    if (labelOptionGiven && !labelsPdf)
        return usageError("--label-sheet, --start, --no-headings and --own-call go with --labels");
    if (start && !startLabel(*start, *stock, labelOptions))
        return usageError("--start " + *start + ": the sheet " + std::string(stock->name) +
                          " has rows 1 to " + std::to_string(stock->rows) + " and columns 1 to " +
                          std::to_string(stock->columns) + ", given as ROW,COL");
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
    else if (!sheetPdf && !labelsPdf)
        writePileListing(std::cout, sorted);
    std::cout.flush();
    if (!std::cout)
        return ExitCannotRead;

    if (sheetPdf || labelsPdf) {
        // Fonts and painting need the toolkit's GUI part, but no display: nothing is shown.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(skipDesktopNotes);
        QGuiApplication application(argc, argv);
        bool written = true;
        if (sheetPdf) {
            std::string logNames;
            for (const auto &log : logs)
                logNames += (logNames.empty() ? "" : ", ") +
                            (log == "-" ? std::string("standard input") : log.filename().string());
            const SortSheet sheet(sorted, QFile::decodeName(logNames.c_str()),
                                  QDate::currentDate());
            const bool letter = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
            written = writePdf(*sheetPdf, QStringLiteral("QSL sorting sheet"),
                               [&](QPagedPaintDevice &device) {
                                   device.setPageLayout(SortSheet::pageLayout(letter));
                                   return sheet.paint(device);
                               }) &&
                      written;
        }
        if (labelsPdf) {
            const LabelSheet labels(sorted, *stock, labelOptions);
            written = writePdf(*labelsPdf, QStringLiteral("QSL labels"),
                               [&](QPagedPaintDevice &device) { return labels.paint(device); }) &&
                      written;
        }
        if (!written)
            return ExitCannotWrite;
    }
    return job.readWhole() ? 0 : ExitIncomplete;
}
