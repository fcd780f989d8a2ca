#include "logbook/MarkAsSent.h"

#include "core/text/FileReplacement.h"
#include "logbook/PileListing.h"

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

QslState qslState(LogFields fields)
{
    const char via = firstLetter(fieldValue(fields, LogField::QslSentVia));
    if (via == 'D' || via == 'E' || via == 'M')
        return QslState::SentOtherWay;
    switch (firstLetter(fieldValue(fields, LogField::QslSent))) {
    case 'Q':
    case 'R':
    case ' ':
        return QslState::Waiting;
    case 'Y':
        return QslState::SentAlready;
    default:
        return QslState::NotToBeSent;
    }
}

std::string markReportText(const MarkReport &report)
{
    std::string text = "marked " + counted(report.marked, "QSO") + " as sent via the bureau";
    if (report.left() == 0)
        return text;
    text += "; left " + std::to_string(report.left()) + " as they were:";
    const std::pair<std::size_t, const char *> reasons[] = {
        {report.sentAlready, "sent already"},
        {report.notToBeSent, "not to be sent (QSL_SENT N or I)"},
        {report.sentOtherWay, "sent direct, electronically or via a manager"},
        {report.notInBureauPile, "not in a bureau pile"},
    };
    const char *separator = " ";
    for (const auto &[count, reason] : reasons) {
        if (count == 0)
            continue;
        text += separator + std::to_string(count) + ' ' + reason;
        separator = ", ";
    }
    return text;
}

std::string markedAdif(const LogRecords &records, const std::vector<bool> &inBureauPiles,
                       std::string_view date, MarkReport &report)
{
    report = MarkReport();
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
        const std::vector<LogFieldView> fields = records.fields(entry);
        bool mark = false;
        switch (qslState(fields)) {
        case QslState::Waiting:
            mark = entry < inBureauPiles.size() && inBureauPiles[entry];
            ++(mark ? report.marked : report.notInBureauPile);
            break;
        case QslState::SentAlready:
            ++report.sentAlready;
            break;
        case QslState::NotToBeSent:
            ++report.notToBeSent;
            break;
        case QslState::SentOtherWay:
            ++report.sentOtherWay;
            break;
        }
        std::array<bool, 3> written{};
        for (const LogFieldView &field : fields) {
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

bool isSameFile(const std::filesystem::path &target, const std::filesystem::path &source)
{
    std::error_code ignored;
    const auto targetPath = std::filesystem::weakly_canonical(target, ignored);
    const auto sourcePath = std::filesystem::weakly_canonical(source, ignored);
    return std::filesystem::equivalent(target, source, ignored) ||
           (!targetPath.empty() && targetPath == sourcePath);
}

bool saveMarkedLog(const std::filesystem::path &target, const std::filesystem::path &source,
                   const LogRecords &records, const std::vector<bool> &inBureauPiles,
                   std::string_view date, MarkReport &report, std::string &error)
{
    if (isSameFile(target, source)) {
        error = "Vorn never writes over the log it read (" + source.string() +
                "): choose another file.";
        return false;
    }
    return saveTextFile(target, markedAdif(records, inBureauPiles, date, report), error);
}
