// vorn-lookup: the look-up of the main window for scripts and shells. Loads country.asc,
// vorn.asc and the list of exact calls calls.asc, and prints, for every call, the three answers
// the window would show. Built for batches: input is read in large blocks, each line keeps only
// what the call field would take, and the answers are written through one buffer without
// building a string per call.

#include "core/data/BureauTable.h"
#include "core/data/DataFiles.h"
#include "core/data/DataVersion.h"
#include "core/data/ExactCallList.h"
#include "core/lookup/CallLookup.h"
#include "core/lookup/PortableLookup.h"
#include "core/settings/SettingsFile.h"
#include "core/settings/Version.h"
#include "core/text/ByteSource.h"
#include "core/text/CallText.h"
#include "core/text/FileReplacement.h"
#include "programs/CommandLineData.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int ExitUsage = 1; // also when the calls cannot be read or the answers not written
constexpr int ExitDataError = 2;

constexpr std::string_view UsageLine = "Usage: vorn-lookup [-C DIR] [--portable] [--] [CALL...]\n";

constexpr std::string_view Help =
    "\n"
    "Looks up call signs or prefixes the way Vorn's main window does and prints one\n"
    "line per call: the call as the call field holds it, the sort prefix, the QSL\n"
    "bureau and the DXCC / WAE entity, separated by tabs.\n"
    "\n"
    "  -C DIR     read country.asc, vorn.asc and calls.asc from DIR\n"
    "  --portable add two columns for portable and guest calls (VK2/DL1ABC,\n"
    "             DL1ABC/VK2, K1ABC/MM): the sort prefix and bureau of the home\n"
    "             call, and the entity where he operates; each is empty when it\n"
    "             says nothing that the three answers do not\n"
    "  --help     show this text\n"
    "  --version  show the program's version, the version of the data and how\n"
    "             many exact calls the list calls.asc holds\n"
    "  --         end of the options: every later argument is a call\n"
    "\n";

constexpr std::string_view HelpOnCalls =
    "\n"
    "Without CALL arguments every line of standard input is looked up. Calls are\n"
    "treated as typed into the call field: control characters are left out, letters\n"
    "become capitals, a slashed zero (Ø, ø) becomes 0, blanks before the call are\n"
    "left out and only the first 15 characters count. An empty call, or one of\n"
    "blanks only, prints the call and three empty fields. A data file that loads but\n"
    "does not look like one gets a warning on standard error. The list of exact\n"
    "calls, calls.asc, is read when the directory holds it; a damaged one gets a\n"
    "warning and is not used.\n"
    "\n"
    "Exit status: 0 on success; 1 for a usage error, or when the calls cannot be read\n"
    "or the answers cannot be written; 2 when a data file cannot be loaded.\n";

void say(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
}

// Standard output through one large buffer. After the first failed write nothing more is
// written, and the failure is kept for the final report.
class Output
{
public:
    Output() { m_buffer.reserve(Capacity); }

    void append(std::string_view text)
    {
        if (m_buffer.size() + text.size() > Capacity)
            flush();
        m_buffer.append(text);
    }

    void append(const AnswerText &text)
    {
        for (const std::string_view piece : text.pieces)
            append(piece);
    }

    // Writes what the buffer holds; false once any write has failed.
    bool flush()
    {
        if (!m_error)
            m_error = writeAll(STDOUT_FILENO, m_buffer);
        m_buffer.clear();
        return !m_error;
    }

    bool failed() const { return static_cast<bool>(m_error); }
    const std::error_code &error() const { return m_error; }

private:
    static constexpr std::size_t Capacity = 64 * 1024;
    std::string m_buffer;
    std::error_code m_error;
};

struct Tables
{
    CountryTable countries;
    BureauTable bureaus;
    bool portable = false; // two more columns
};

void writeAnswer(std::string_view call, const Tables &tables, Output &out)
{
    out.append(call);
    out.append("\t");
    const auto answer = findAnswer(call, tables.countries, tables.bureaus);
    if (answer) {
        const AnswerTexts texts = answerTexts(*answer);
        out.append(texts.sort);
        out.append("\t");
        out.append(texts.bureau);
        out.append("\t");
        out.append(texts.entity);
    } else {
        out.append("\t\t");
    }
    if (tables.portable) {
        out.append("\t");
        // Only a call with a '/' is taken apart.
        if (answer && call.find('/') != std::string_view::npos) {
            const PortableTexts texts =
                portableTexts(call, resultOf(*answer), tables.countries, tables.bureaus);
            out.append(texts.homeRoute);
            out.append("\t");
            out.append(texts.location);
        } else {
            out.append("\t");
        }
    }
    out.append("\n");
}

// Looks up every line of standard input. Lines end at LF; a CR before it is a control
// character like any other. False, with the reason, when the input cannot be read.
bool answerInput(const Tables &tables, Output &out, std::error_code &readError)
{
    std::vector<char> block(64 * 1024);
    DescriptorSource input(STDIN_FILENO);
    CallText::Builder call;
    bool lineStarted = false;
    for (;;) {
        const std::ptrdiff_t n = input.read(block.data(), block.size());
        if (n < 0) {
            readError = input.error();
            return false;
        }
        if (n == 0)
            break;
        for (const char c : std::string_view(block.data(), static_cast<std::size_t>(n))) {
            if (c != '\n') {
                call.add(c);
                lineStarted = true;
                continue;
            }
            writeAnswer(call.text(), tables, out);
            call.clear();
            lineStarted = false;
        }
        if (out.failed())
            return true; // nothing more can be written; the caller reports it
    }
    if (lineStarted) // a last line without its line end
        writeAnswer(call.text(), tables, out);
    return true;
}

struct Options
{
    std::optional<fs::path> dataDirectory;
    std::vector<std::string_view> calls;
    bool help = false;
    bool version = false;
    bool portable = false;
};

// Nothing, after a message, when the arguments are not understood.
std::optional<Options> parseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            options.calls.insert(options.calls.end(), argv + i + 1, argv + argc);
            break;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--portable") {
            options.portable = true;
        } else if (arg == "-C") {
            if (++i == argc) {
                say("vorn-lookup: -C needs a directory\n");
                return std::nullopt;
            }
            options.dataDirectory = argv[i];
        } else if (arg.starts_with("-C")) {
            options.dataDirectory = arg.substr(2);
        } else if (arg.size() > 1 && arg.front() == '-') {
            say("vorn-lookup: unknown option " + std::string(arg) + "\n");
            return std::nullopt;
        } else {
            options.calls.push_back(arg);
        }
    }
    return options;
}

} // namespace

int main(int argc, char **argv)
{
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        say(UsageLine);
        say("Try 'vorn-lookup --help' for more.\n");
        return ExitUsage;
    }
    if (options->help) {
        std::fputs((std::string(UsageLine) + std::string(Help) + std::string(DataSourceHelp) +
                    std::string(HelpOnCalls))
                       .c_str(),
                   stdout);
        return std::fflush(stdout) == 0 ? 0 : ExitUsage;
    }

    const std::optional<fs::path> dataDirectory =
        chooseDataDirectory("vorn-lookup", options->dataDirectory);
    if (options->version) {
        // In the words of the About box, from the same numbers: the stored one, or the heading's.
        std::int32_t dataVersion = 0;
        ExactCallList calls;
        CallListLoad callsLoad{std::make_error_code(std::errc::no_such_file_or_directory)};
        if (dataDirectory) {
            dataVersion = installedDataVersion(
                readSettingsFile(*dataDirectory / DataFiles::SettingsFile).dataVersion,
                bureauFileDataVersion(*dataDirectory / DataFiles::BureauFile));
            callsLoad = loadExactCallList(calls, *dataDirectory / DataFiles::CallsFile);
        }
        std::printf("vorn-lookup %s\n%s\n%s\n", ProgramVersion,
                    describeDataVersion(dataVersion).c_str(),
                    describeExactCallList(callsLoad, calls.count(), true).c_str());
        return std::fflush(stdout) == 0 ? 0 : ExitUsage;
    }
    if (!dataDirectory) {
        reportNoDataDirectory("vorn-lookup");
        return ExitDataError;
    }

    Tables tables;
    tables.portable = options->portable;
    if (!loadDataTables("vorn-lookup", *dataDirectory, tables.countries, tables.bureaus))
        return ExitDataError;

    Output out;
    std::error_code readError;
    if (!options->calls.empty()) {
        CallText::Builder call;
        for (const std::string_view typed : options->calls) {
            call.clear();
            for (const char c : typed)
                call.add(c);
            writeAnswer(call.text(), tables, out);
        }
    } else if (!answerInput(tables, out, readError)) {
        out.flush();
        say("vorn-lookup: cannot read the calls: " + readError.message() + "\n");
        return ExitUsage;
    }
    if (!out.flush()) {
        say("vorn-lookup: cannot write the answers: " + out.error().message() + "\n");
        return ExitUsage;
    }
    return 0;
}
