#include "logbook/LogReader.h"

#include "core/text/Ascii.h"
#include "logbook/AdifReader.h"
#include "logbook/AdxReader.h"
#include "logbook/CallListReader.h"

#include <algorithm>

namespace {

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// "<EOR>", "<EOH>" or a field tag such as "<call:6": the marks of ADIF text.
bool holdsAdifTag(std::string_view text)
{
    for (std::size_t open = text.find('<'); open != std::string_view::npos;
         open = text.find('<', open + 1)) {
        const std::string_view tag = text.substr(open + 1);
        if (Ascii::startsWithIgnoringCase(tag, "EOR>") ||
            Ascii::startsWithIgnoringCase(tag, "EOH>"))
            return true;
        const auto nameEnd = std::find_if_not(tag.begin(), tag.end(), isNameChar);
        if (nameEnd != tag.begin() && nameEnd != tag.end() && *nameEnd == ':' &&
            nameEnd + 1 != tag.end() && nameEnd[1] >= '0' && nameEnd[1] <= '9')
            return true;
    }
    return false;
}

} // namespace

LogFormat detectLogFormat(std::string_view firstBytes)
{
    if (firstBytes.starts_with("\xEF\xBB\xBF"))
        firstBytes.remove_prefix(3);
    const auto text = firstBytes.find_first_not_of(" \t\r\n");
    if (text != std::string_view::npos) {
        const std::string_view start = firstBytes.substr(text);
        if (Ascii::startsWithIgnoringCase(start, "<?XML") ||
            Ascii::startsWithIgnoringCase(start, "<ADX"))
            return LogFormat::Adx;
    }
    return holdsAdifTag(firstBytes) ? LogFormat::Adif : LogFormat::CallList;
}

std::unique_ptr<LogFormatReader> makeLogReader(LogFormat format, LogSink &sink)
{
    switch (format) {
    case LogFormat::Adif:
        return std::make_unique<AdifReader>(sink);
    case LogFormat::Adx:
        return std::make_unique<AdxReader>(sink);
    case LogFormat::CallList:
        break;
    }
    return std::make_unique<CallListReader>(sink);
}
