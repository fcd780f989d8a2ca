#include "logbook/LogReader.h"

#include "core/text/Ascii.h"
#include "core/text/CallText.h"
#include "logbook/AdifReader.h"
#include "logbook/AdxReader.h"
#include "logbook/CallListReader.h"

#include <algorithm>

namespace {

// Longer than any call with its prefix and suffix ("VP2V/DL1ABC/QRP" has 15 characters).
constexpr std::size_t MaxCallLength = 32;
// In a list of calls, at least this share of the words must look like calls.
constexpr std::size_t CallShapedPercent = 80;

bool isNameChar(char c)
{
    return Ascii::isAlnum(c) || c == '_';
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
            nameEnd + 1 != tag.end() && Ascii::isDigit(nameEnd[1]))
            return true;
    }
    return false;
}

// Letters and digits with at least one of each, and strokes: DL1ABC, 9A2AA, KH6/K1ABC, and
// WØABC with its slashed zero.
bool isCallShaped(std::string_view text)
{
    if (text.size() > 2 * MaxCallLength) // a UTF-8 Ø folds two bytes into one, nothing more
        return false;
    const std::string word = CallText::withPlainZeros(text);
    return word.size() <= MaxCallLength &&
           std::all_of(word.begin(), word.end(),
                       [](char c) { return Ascii::isAlnum(c) || c == '/'; }) &&
           std::any_of(word.begin(), word.end(), Ascii::isLetter) &&
           std::any_of(word.begin(), word.end(), Ascii::isDigit);
}

// Most of the words are calls. The last word may be cut by the end of the sample, so it only
// counts when it is the only one.
bool isListOfCalls(std::string_view text)
{
    std::size_t words = 0;
    std::size_t calls = 0;
    std::string_view last;
    std::size_t at = 0;
    while (at < text.size()) {
        if (CallListReader::separates(text[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !CallListReader::separates(text[end]))
            ++end;
        if (!last.empty()) {
            ++words;
            calls += isCallShaped(last) ? 1 : 0;
        }
        last = text.substr(at, end - at);
        at = end;
    }
    if (words == 0 && !last.empty()) {
        words = 1;
        calls = isCallShaped(last) ? 1 : 0;
    }
    return words > 0 && calls * 100 >= words * CallShapedPercent;
}

// ASCII in UTF-16 has a NUL beside each character: nearly every pair of bytes holds one NUL and
// one that is not.
bool looksLikeUtf16(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return true;
    const std::size_t pairs = bytes.size() / 2;
    std::size_t halfNul = 0;
    for (std::size_t i = 0; i < pairs; ++i)
        halfNul += (bytes[2 * i] == '\0') != (bytes[2 * i + 1] == '\0') ? 1 : 0;
    return pairs > 0 && halfNul * 10 >= pairs * 9;
}

bool isBinary(std::string_view bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        // Tabs, line ends, form feeds and the 0x1A that ends old DOS files are text.
        return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' &&
               byte != '\v' && byte != 0x1A && byte != 0x1B;
    });
}

std::string_view withoutByteOrderMark(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    return bytes;
}

bool isXml(std::string_view bytes)
{
    bytes = withoutByteOrderMark(bytes);
    const auto text = bytes.find_first_not_of(" \t\r\n");
    if (text == std::string_view::npos)
        return false;
    const std::string_view start = bytes.substr(text);
    return Ascii::startsWithIgnoringCase(start, "<?XML") ||
           Ascii::startsWithIgnoringCase(start, "<ADX");
}

} // namespace

std::string_view whyNotALog(std::string_view firstBytes)
{
    const std::string_view text = withoutByteOrderMark(firstBytes);
    if (text.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos)
        return "it is empty";
    if (looksLikeUtf16(text))
        return "it is UTF-16 text; save the log as UTF-8";
    if (isBinary(text))
        return "it holds binary data, not text";
    if (isXml(text) || holdsAdifTag(text) || isListOfCalls(text))
        return {};
    return "it is neither ADIF nor ADX, nor a list of calls";
}

LogFormat detectLogFormat(std::string_view firstBytes)
{
    if (!whyNotALog(firstBytes).empty())
        return LogFormat::NotALog;
    if (isXml(firstBytes))
        return LogFormat::Adx;
    return holdsAdifTag(firstBytes) ? LogFormat::Adif : LogFormat::CallList;
}

bool canBeCall(std::string_view value)
{
    value = trimmed(value);
    return value.size() <= MaxCallLength && std::none_of(value.begin(), value.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return byte <= 0x20 || byte == 0x7F || c == '<' || c == '>';
           });
}

void LogFormatReader::deliver(LogSink &sink, LogFields fields)
{
    const auto call = std::find_if(fields.begin(), fields.end(), [](const LogFieldView &field) {
        return field.name == LogField::Call;
    });
    if (call != fields.end() && !canBeCall(call->value)) {
        ++m_damaged;
        return;
    }
    sink.record(fields);
}

std::unique_ptr<LogFormatReader> makeLogReader(LogFormat format, LogSink &sink,
                                               const LogLimits &limits)
{
    switch (format) {
    case LogFormat::Adif:
        return std::make_unique<AdifReader>(sink, limits);
    case LogFormat::Adx:
        return std::make_unique<AdxReader>(sink, limits);
    case LogFormat::CallList:
        return std::make_unique<CallListReader>(sink, limits);
    case LogFormat::NotALog:
        break;
    }
    return nullptr;
}
