#include "logbook/MarkAsSent.h"

#include "core/text/FileReplacement.h"

#include <array>

namespace {

void appendField(std::string &out, std::string_view name, std::string_view value)
{
    out += '<';
    out += name;
    out += ':';
    out += std::to_string(value.size());
    out += '>';
    out += value;
    out += ' ';
}

} // namespace

std::vector<bool> entriesInBureauPiles(const SortedLog &sorted, std::size_t entryCount)
{
    std::vector<bool> marked(entryCount, false);
    for (const CardPile &pile : sorted.piles) {
        if (pile.setApart())
            continue;
        for (const QslCard &card : pile.cards) {
            for (const std::uint32_t entry : card.qsos) {
                if (entry < entryCount)
                    marked[entry] = true;
            }
        }
    }
    return marked;
}

std::string markedAdif(const LogRecords &records, const std::vector<bool> &marked,
                       std::string_view date)
{
    std::string out = "Written by Vorn: the log as read, the QSOs of the bureau piles marked as "
                      "sent via the bureau.\r\n";
    if (records.hasHeader()) {
        for (const LogFieldView &field : records.headerFields())
            appendField(out, field.name, field.value);
    } else {
        appendField(out, "ADIF_VER", "3.1.4");
        appendField(out, "PROGRAMID", "Vorn");
    }
    out += "<EOH>\r\n";

    const std::array<std::pair<std::string_view, std::string_view>, 3> sent{{
        {LogField::QslSent, "Y"},
        {LogField::QslSentVia, "B"},
        {LogField::QslSentDate, date},
    }};
    for (std::size_t entry = 0; entry < records.size(); ++entry) {
        const bool mark = entry < marked.size() && marked[entry];
        std::array<bool, 3> written{};
        for (const LogFieldView &field : records.fields(entry)) {
            std::string_view value = field.value;
            for (std::size_t i = 0; mark && i < sent.size(); ++i) {
                if (field.name == sent[i].first && !written[i]) {
                    value = sent[i].second;
                    written[i] = true;
                }
            }
            appendField(out, field.name, value);
        }
        for (std::size_t i = 0; mark && i < sent.size(); ++i) {
            if (!written[i])
                appendField(out, sent[i].first, sent[i].second);
        }
        out += "<EOR>\r\n";
    }
    return out;
}

bool saveTextFile(const std::filesystem::path &target, std::string_view text, std::string &error)
{
    if (const std::error_code failure = replaceFile(target, text)) {
        error = "cannot write " + target.string() + ": " + failure.message();
        return false;
    }
    return true;
}

bool saveMarkedLog(const std::filesystem::path &target, const std::filesystem::path &source,
                   const LogRecords &records, const std::vector<bool> &marked,
                   std::string_view date, std::string &error)
{
    std::error_code ignored;
    const auto targetPath = std::filesystem::weakly_canonical(target, ignored);
    const auto sourcePath = std::filesystem::weakly_canonical(source, ignored);
    if (std::filesystem::equivalent(target, source, ignored) ||
        (!targetPath.empty() && targetPath == sourcePath)) {
        error = "Vorn never writes over the log it read (" + source.string() +
                "): choose another file.";
        return false;
    }
    return saveTextFile(target, markedAdif(records, marked, date), error);
}
