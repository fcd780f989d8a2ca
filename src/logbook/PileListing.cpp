#include "logbook/PileListing.h"

#include "core/text/Ascii.h"

#include <algorithm>
#include <iomanip>

namespace {

// A signed whole number, such as a signal report of "-10": a spreadsheet reads it as the number
// it is, and runs nothing.
bool isSignedNumber(std::string_view text)
{
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    return Ascii::isDigits(text);
}

// The via column: the manager's call, or the home call that a portable or guest call goes by.
std::string csvVia(const QslCard &card)
{
    if (card.via.empty() && !card.home.empty())
        return "home call " + card.home;
    return card.via;
}

} // namespace

std::string csvField(std::string_view text)
{
    // A spreadsheet runs a cell that begins with one of these as a formula: a call from a log
    // such as "=1+2" or "@SUM(1)" must stay text.
    const bool formula =
        !text.empty() &&
        std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos &&
        !isSignedNumber(text);
    if (!formula && text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = formula ? "\"'" : "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void writeCardsCsv(std::ostream &out, const SortedLog &sorted)
{
    out << "sort_prefix,bureau,entity,call,via,qsos\r\n";
    for (const CardPile &pile : sorted.piles) {
        // A card that goes no bureau's way says so, as the "none" pile does, and carries its note
        // where a manager would stand: a row with a bureau's sort prefix would be filed there.
        const bool viaBureau = pile.kind != PileKind::NotViaBureau;
        for (const QslCard &card : pile.cards) {
            out << csvField(viaBureau ? card.answer.sortText : "") << ','
                << csvField(viaBureau ? card.answer.bureauText : pileTitle(pile)) << ','
                << csvField(card.answer.entityText) << ',' << csvField(card.call) << ','
                << csvField(viaBureau ? csvVia(card) : card.note) << ',' << card.qsos.size()
                << "\r\n";
        }
    }
}

void writeQsosCsv(std::ostream &out, const SortedLog &sorted)
{
    out << "pile,sort_prefix,bureau,entity,call,via,route,qso_date,time_on,band,mode,rst_sent\r\n";
    for (const CardPile &pile : sorted.piles) {
        const std::string title = csvField(pileTitle(pile));
        for (const QslCard &card : pile.cards) {
            std::string cardFields = title + ',' + csvField(card.answer.sortText) + ',' +
                                     csvField(card.answer.bureauText) + ',' +
                                     csvField(card.answer.entityText) + ',' + csvField(card.call) +
                                     ',' + csvField(csvVia(card)) + ',' +
                                     csvField(card.routeCall());
            for (const std::uint32_t entry : card.qsos) {
                const QsoView qso = sorted.qso(entry);
                out << cardFields;
                for (const std::string_view field :
                     {qso.date, qso.time, qso.band, qso.mode, qso.rstSent})
                    out << ',' << csvField(field);
                out << "\r\n";
            }
        }
    }
}

std::string routeNote(const QslCard &card)
{
    if (!card.via.empty())
        return "via " + card.via;
    if (!card.home.empty())
        return "home call " + card.home;
    return card.note;
}

std::string unreadNotesText(const SortedLog &sorted)
{
    constexpr std::size_t Listed = 10;
    if (sorted.unreadNotes.empty())
        return {};
    std::string text = "QSL_VIA not understood, taken as no manager: ";
    for (std::size_t i = 0; i < sorted.unreadNotes.size() && i < Listed; ++i) {
        const UnreadNote &note = sorted.unreadNotes[i];
        text += (i == 0 ? "\"" : ", \"") + logExcerpt(note.text) + "\" (" +
                counted(note.qsos, "QSO") + ')';
    }
    if (sorted.unreadNotes.size() > Listed)
        text += " and " + counted(sorted.unreadNotes.size() - Listed, "other");
    return text + '.';
}

std::string qsoLine(const QsoView &qso)
{
    std::string line = qsoDateText(qso.date);
    for (const std::string_view field : {qsoTimeText(qso.time), qso.band, qso.mode, qso.rstSent}) {
        if (field.empty())
            continue;
        if (!line.empty())
            line += ' ';
        line += field;
    }
    return line;
}

std::string counted(std::size_t count, std::string_view noun)
{
    std::string text = std::to_string(count) + ' ' + std::string(noun);
    if (count != 1)
        text += 's';
    return text;
}

std::string cardDetail(const CardPile &pile, const QslCard &card)
{
    switch (pile.kind) {
    case PileKind::Unknown:
        return card.answer.sortText;
    case PileKind::NoBureau:
        return card.answer.entityText;
    case PileKind::NotViaBureau:
        return card.note;
    case PileKind::Bureau:
    case PileKind::NonIaru:
        break;
    }
    return card.answer.entityText == pile.entityText ? std::string() : card.answer.entityText;
}

std::string totalsText(const SortedLog &sorted)
{
    std::string text =
        counted(sorted.cardCount(false), "card") + " (" + counted(sorted.qsoCount(false), "QSO") +
        ") in " + counted(sorted.pileCount(false), "bureau pile") +
        "; set apart: " + counted(sorted.cardCount(true), "card") + " (" +
        counted(sorted.qsoCount(true), "QSO") + "). " + counted(sorted.entries, "QSO") + " read, " +
        std::to_string(sorted.counted) + " counted";
    if (sorted.withoutCall > 0)
        text += ", " + std::to_string(sorted.withoutCall) + " without a call";
    if (sorted.damaged > 0)
        text += ", " + counted(sorted.damaged, "damaged record") + " skipped";
    return text + '.';
}

void writePileListing(std::ostream &out, const SortedLog &sorted)
{
    PileKind section = PileKind::Bureau;
    for (const CardPile &pile : sorted.piles) {
        if (pile.kind != section) {
            section = pile.kind;
            out << "== Set apart: " << pileNote(section) << "\n\n";
        }
        out << pileTitle(pile);
        for (const std::string *text : {&pile.bureauText, &pile.entityText}) {
            if (!text->empty())
                out << " | " << *text;
        }
        out << " | " << counted(pile.cards.size(), "card") << ", " << counted(pile.qsoCount, "QSO")
            << '\n';

        std::size_t callWidth = 0;
        std::size_t viaWidth = 0;
        for (const QslCard &card : pile.cards) {
            callWidth = std::max(callWidth, card.call.size());
            const std::size_t note =
                pile.kind == PileKind::NotViaBureau ? 0 : routeNote(card).size();
            viaWidth = std::max(viaWidth, note == 0 ? 0 : note + 1);
        }
        for (const QslCard &card : pile.cards) {
            // The note of a card set apart for it is its detail.
            const std::string note = pile.kind == PileKind::NotViaBureau ? "" : routeNote(card);
            const std::string via = note.empty() ? std::string() : ' ' + note;
            std::string line = "  " + card.call + std::string(callWidth - card.call.size(), ' ') +
                               via + std::string(viaWidth - via.size(), ' ');
            const std::string qsos = std::to_string(card.qsos.size());
            line += std::string(qsos.size() < 4 ? 4 - qsos.size() : 0, ' ') + qsos;
            const std::string detail = cardDetail(pile, card);
            if (!detail.empty())
                line += "  " + detail;
            out << line << '\n';
        }
        out << '\n';
    }
    out << "Total: " << totalsText(sorted) << '\n';
}
