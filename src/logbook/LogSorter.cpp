#include "logbook/LogSorter.h"

#include "core/text/Ascii.h"
#include "core/text/CallText.h"
#include "logbook/QslRoute.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <tuple>

namespace {

char firstLetter(std::string_view value)
{
    value = trimmed(value);
    if (value.empty())
        return ' ';
    const char c = value.front();
    return Ascii::upper(c);
}

RouteAnswer unknownAnswer()
{
    return {{LookupOutcome::NotFound, "unknown", "unknown", "unknown"}, PileKind::Unknown};
}

// Each text once, in the order met, joined by ", ".
std::string distinctTexts(const std::vector<QslCard> &cards, std::string LookupResult::*text)
{
    std::vector<const std::string *> seen;
    std::string joined;
    for (const QslCard &card : cards) {
        const std::string &value = card.answer.*text;
        if (value.empty() || std::any_of(seen.begin(), seen.end(),
                                         [&value](const std::string *s) { return *s == value; }))
            continue;
        seen.push_back(&value);
        if (!joined.empty())
            joined += ", ";
        joined += value;
    }
    return joined;
}

void sortCards(CardPile &pile)
{
    const auto byRoute = [](const QslCard &a, const QslCard &b) {
        return std::tie(a.routeCall(), a.call) < std::tie(b.routeCall(), b.call);
    };
    const auto byEntity = [&byRoute](const QslCard &a, const QslCard &b) {
        if (a.answer.entityText != b.answer.entityText)
            return a.answer.entityText < b.answer.entityText;
        return byRoute(a, b);
    };
    if (pile.kind == PileKind::NoBureau)
        std::sort(pile.cards.begin(), pile.cards.end(), byEntity);
    else
        std::sort(pile.cards.begin(), pile.cards.end(), byRoute);
}

} // namespace

PileKind pileKind(const LookupAnswer &answer)
{
    switch (answer.outcome) {
    case LookupOutcome::NotFound:
    case LookupOutcome::OneCharacter:
    case LookupOutcome::AreaMissing:
        return PileKind::Unknown;
    case LookupOutcome::NoBureau:
        return PileKind::NoBureau;
    case LookupOutcome::Normal:
        return answer.bureau && !answer.bureau->isIaru ? PileKind::NonIaru : PileKind::Bureau;
    case LookupOutcome::KG4Usa:
    case LookupOutcome::UsArea4a:
    case LookupOutcome::UsArea4b:
    case LookupOutcome::CallArea:
    case LookupOutcome::VkArea90:
        break;
    }
    return PileKind::Bureau;
}

std::string pileTitle(const CardPile &pile)
{
    switch (pile.kind) {
    case PileKind::NoBureau:
        return "none";
    case PileKind::Unknown:
        return "unknown or incomplete";
    case PileKind::Bureau:
    case PileKind::NonIaru:
        break;
    }
    return pile.sortText;
}

std::string_view pileNote(PileKind kind)
{
    switch (kind) {
    case PileKind::NonIaru:
        return "bureau outside the IARU: the card may not be forwarded";
    case PileKind::NoBureau:
        return "no QSL bureau: send direct or via a manager";
    case PileKind::Unknown:
        return "call unknown or incomplete: check the log";
    case PileKind::Bureau:
        break;
    }
    return {};
}

std::size_t SortedLog::cardCount(bool setApart) const
{
    std::size_t count = 0;
    for (const CardPile &pile : piles)
        count += pile.setApart() == setApart ? pile.cards.size() : 0;
    return count;
}

std::size_t SortedLog::qsoCount(bool setApart) const
{
    std::size_t count = 0;
    for (const CardPile &pile : piles)
        count += pile.setApart() == setApart ? pile.qsoCount : 0;
    return count;
}

std::size_t SortedLog::pileCount(bool setApart) const
{
    return static_cast<std::size_t>(
        std::count_if(piles.begin(), piles.end(),
                      [setApart](const CardPile &pile) { return pile.setApart() == setApart; }));
}

void LogSorter::reserve(std::size_t entries)
{
    m_entries.reserve(entries);
    m_cardIndex.reserve(entries / 2);
    m_routeIndex.reserve(entries / 2);
}

void LogSorter::beginLog()
{
    m_logHasQslSent.push_back(false);
}

std::uint32_t LogSorter::routeIndex(const std::string &call)
{
    const auto [found, added] =
        m_routeIndex.try_emplace(call, static_cast<std::uint32_t>(m_routes.size()));
    if (added)
        m_routes.push_back(call);
    return found->second;
}

void LogSorter::record(LogFields fields)
{
    if (m_logHasQslSent.empty())
        beginLog();
    const auto log = static_cast<std::uint32_t>(m_logHasQslSent.size() - 1);
    std::string_view call, qslVia, qslSent, qslSentVia;
    for (const LogFieldView &field : fields) {
        // The first of each field counts, as everywhere else.
        if (field.name == LogField::Call && call.empty())
            call = trimmed(field.value);
        else if (field.name == LogField::QslVia && qslVia.empty())
            qslVia = field.value;
        else if (field.name == LogField::QslSent && qslSent.empty())
            qslSent = trimmed(field.value);
        else if (field.name == LogField::QslSentVia && qslSentVia.empty())
            qslSentVia = field.value;
    }

    std::uint8_t flags = 0;
    if (!qslSent.empty()) {
        m_logHasQslSent[log] = true;
        const char sent = firstLetter(qslSent);
        if (sent == 'Q' || sent == 'R')
            flags |= Queued;
    }
    const char sentVia = firstLetter(qslSentVia);
    if (sentVia == 'D' || sentVia == 'E' || sentVia == 'M')
        flags |= SentOtherWay;

    if (call.empty()) {
        m_entries.push_back({NoCard, log, flags});
        return;
    }
    std::string station = CallText::normalize(call);
    std::string via = managerCall(qslVia);
    if (via == station)
        via.clear();
    std::string key = station;
    key += ' ';
    key += via;
    const auto [found, added] =
        m_cardIndex.try_emplace(std::move(key), static_cast<std::uint32_t>(m_cards.size()));
    if (added) {
        const std::uint32_t route = routeIndex(via.empty() ? station : via);
        m_cards.push_back({std::move(station), std::move(via), route});
    }
    m_entries.push_back({found->second, log, flags});
}

SortedLog LogSorter::piles(std::span<const RouteAnswer> answers, QsoSelection selection) const
{
    SortedLog sorted;
    sorted.entries = m_entries.size();

    std::vector<std::vector<std::uint32_t>> cardQsos(m_cards.size());
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry &entry = m_entries[i];
        if (entry.card == NoCard) {
            ++sorted.withoutCall;
            continue;
        }
        const bool waiting = (entry.flags & Queued) || !m_logHasQslSent[entry.log];
        if (selection == QsoSelection::All || (waiting && !(entry.flags & SentOtherWay))) {
            cardQsos[entry.card].push_back(static_cast<std::uint32_t>(i));
            ++sorted.counted;
        }
    }

    // Bureau piles by sort prefix in byte order (digits before letters, a prefix before its
    // longer forms: 3D2, 3DA, 9A, DL, K1, K4, KA4), each kind after the one before it.
    std::map<std::pair<PileKind, std::string>, CardPile> piles;
    const RouteAnswer unknown = unknownAnswer();
    for (std::size_t c = 0; c < m_cards.size(); ++c) {
        if (cardQsos[c].empty())
            continue;
        const CardKey &key = m_cards[c];
        const RouteAnswer &route = key.route < answers.size() ? answers[key.route] : unknown;
        QslCard card{key.call, key.via, route.texts, std::move(cardQsos[c])};
        const PileKind kind = route.pile;
        const bool bySortText = kind == PileKind::Bureau || kind == PileKind::NonIaru;
        CardPile &pile = piles[{kind, bySortText ? card.answer.sortText : std::string()}];
        pile.kind = kind;
        pile.qsoCount += card.qsos.size();
        pile.cards.push_back(std::move(card));
    }

    sorted.piles.reserve(piles.size());
    for (auto &[key, pile] : piles) {
        sortCards(pile);
        switch (pile.kind) {
        case PileKind::Bureau:
        case PileKind::NonIaru:
            pile.sortText = key.second;
            pile.bureauText = distinctTexts(pile.cards, &LookupResult::bureauText);
            pile.entityText = distinctTexts(pile.cards, &LookupResult::entityText);
            break;
        case PileKind::NoBureau:
        case PileKind::Unknown:
            break; // each card shows its own entity or message
        }
        sorted.piles.push_back(std::move(pile));
    }
    return sorted;
}

RouteAnswer lookUpRouteCall(const std::string &call, const CountryTable &countries,
                            const BureauTable &bureaus)
{
    const auto found = findAnswer(call, countries, bureaus);
    if (!found)
        return unknownAnswer();
    return {resultOf(*found), pileKind(*found)};
}

SortedLog sortLog(const LogSorter &sorter, const CountryTable &countries,
                  const BureauTable &bureaus, QsoSelection selection)
{
    std::vector<RouteAnswer> answers;
    answers.reserve(sorter.routeCalls().size());
    for (const std::string &call : sorter.routeCalls())
        answers.push_back(lookUpRouteCall(call, countries, bureaus));
    return sorter.piles(answers, selection);
}
