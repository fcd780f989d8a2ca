#include "core/settings/SettingsFile.h"

#include "core/text/ByteSource.h"
#include "core/text/FileReplacement.h"
#include "core/text/Integer.h"
#include "core/text/TextLines.h"

#include <string>

namespace {

const char *backgroundCode(Background background)
{
    switch (background) {
    case Background::PlainBlue:
        return "BB";
    case Background::PlainWhite:
        return "BW";
    case Background::WorldMap:
        break;
    }
    return "BM";
}

const char *updateCode(UpdateMode mode)
{
    switch (mode) {
    case UpdateMode::Manual:
        return "UC";
    case UpdateMode::Auto:
        return "UA";
    case UpdateMode::None:
        break;
    }
    return "UN";
}

const char *qslInfoCode(QslInfoMode mode)
{
    switch (mode) {
    case QslInfoMode::Manual:
        return "CR";
    case QslInfoMode::Auto:
        return "CA";
    case QslInfoMode::None:
        break;
    }
    return "CN";
}

} // namespace

void applySettingsLine(std::string_view line, AppSettings &settings)
{
    struct Code
    {
        std::string_view text;
        void (*apply)(AppSettings &);
    };
    static constexpr Code Codes[] = {
        {"BM", [](AppSettings &s) { s.background = Background::WorldMap; }},
        {"BB", [](AppSettings &s) { s.background = Background::PlainBlue; }},
        {"BW", [](AppSettings &s) { s.background = Background::PlainWhite; }},
        {"SS", [](AppSettings &s) { s.speakSort = true; }},
        {"SB", [](AppSettings &s) { s.speakBureau = true; }},
        {"SD", [](AppSettings &s) { s.speakDxcc = true; }},
        {"UN", [](AppSettings &s) { s.updateMode = UpdateMode::None; }},
        {"UC", [](AppSettings &s) { s.updateMode = UpdateMode::Manual; }},
        {"UA", [](AppSettings &s) { s.updateMode = UpdateMode::Auto; }},
        {"CN", [](AppSettings &s) { s.qslInfoMode = QslInfoMode::None; }},
        {"CR", [](AppSettings &s) { s.qslInfoMode = QslInfoMode::Manual; }},
        {"CA", [](AppSettings &s) { s.qslInfoMode = QslInfoMode::Auto; }},
    };
    for (const Code &code : Codes) {
        if (line == code.text)
            code.apply(settings);
    }
    if (line.empty())
        return;
    if (line.front() == 'N') {
        if (const auto version = parseInt32(line.substr(1), IntegerSyntaxes::SignedDecimal))
            settings.dataVersion = *version;
    } else if (line.front() == 'R') {
        settings.ownCall = std::string(line.substr(1));
    }
}

LoadResult readSettings(ByteSource &source, AppSettings &settings)
{
    // Editors write LF; every line end of theirs must count, or the file reads as one line.
    LineReader reader(source, LineReader::LineEnds::CrOrLf);
    std::string line;
    for (;;) {
        switch (reader.next(line)) {
        case LineReader::Status::Line:
            applySettingsLine(line, settings);
            continue;
        case LineReader::Status::End:
            return {};
        case LineReader::Status::Error:
            return {source.error()};
        }
    }
}

LoadResult readSettingsFile(const std::filesystem::path &file, AppSettings &settings)
{
    return readFile(file,
                    [&settings](ByteSource &source) { return readSettings(source, settings); });
}

AppSettings readSettingsFile(const std::filesystem::path &file)
{
    AppSettings settings;
    readSettingsFile(file, settings);
    return settings;
}

std::string formatSettings(const AppSettings &settings)
{
    std::string text;
    const auto addLine = [&text](std::string_view line) {
        text += line;
        text += "\r\n";
    };
    addLine(backgroundCode(settings.background));
    if (settings.speakSort)
        addLine("SS");
    if (settings.speakBureau)
        addLine("SB");
    if (settings.speakDxcc)
        addLine("SD");
    addLine(updateCode(settings.updateMode));
    addLine(qslInfoCode(settings.qslInfoMode));
    addLine("N" + std::to_string(settings.dataVersion));
    addLine("R" + trimBlanks(settings.ownCall));
    return text;
}

std::error_code writeSettingsFile(const std::filesystem::path &file, const AppSettings &settings)
{
    // The work file lies beside the settings file, so the final rename stays on one file system.
    return replaceOwnFile(file, formatSettings(settings));
}
