#include "logbook/LogSorter.h"

#include "core/lookup/PortableLookup.h"
#include "core/text/CallText.h"
#include "logbook/QslRoute.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <tuple>

namespace {

RouteAnswer unknownAnswer()
{
    return {{LookupOutcome::NotFound, "unknown", "unknown", "unknown"}, PileKind::Unknown, {}};
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
    case PileKind::NotViaBureau:
        return "not via the bureau";
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
    case PileKind::NotViaBureau:
        return "QSL_VIA asks for another way: direct, OQRS, LoTW or eQSL";
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
    m_qsoBook->reserve(entries);
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

std::uint32_t LogSorter::unreadNoteIndex(std::string_view text)
{
    const auto [found, added] = m_unreadNoteIndex.try_emplace(
        std::string(text), static_cast<std::uint32_t>(m_unreadNotes.size()));
    if (added)
        m_unreadNotes.emplace_back(text);
    return found->second;
}

void LogSorter::record(LogFields fields)
{
    if (m_logHasQslSent.empty())
        beginLog();
    const auto log = static_cast<std::uint32_t>(m_logHasQslSent.size() - 1);
    std::string_view call, qslVia, qslSent, qslSentVia;
    std::string_view date, time, band, mode, submode, rstSent, qslRcvd;
    const std::pair<std::string_view, std::string_view *> wanted[] = {
        {LogField::Call, &call},       {LogField::QslVia, &qslVia},
        {LogField::QslSent, &qslSent}, {LogField::QslSentVia, &qslSentVia},
        {LogField::QsoDate, &date},    {LogField::TimeOn, &time},
        {LogField::Band, &band},       {LogField::Mode, &mode},
        {LogField::Submode, &submode}, {LogField::RstSent, &rstSent},
        {LogField::QslRcvd, &qslRcvd},
    };
    for (const LogFieldView &field : fields) {
        for (const auto &[name, value] : wanted) {
            // The first of each field counts, as everywhere else; its data are trimmed once here.
            if (field.name == name) {
                if (value->empty())
                    *value = trimmed(field.value);
                break;
            }
        }
    }
    const char received = firstLetter(qslRcvd);
    m_qsoBook->add({date, time, band, submode.empty() ? mode : submode, rstSent,
                    received == 'Y' || received == 'V'});

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
        m_entries.push_back({NoCard, log, NoNote, flags});
        return;
    }
    std::string station = CallText::normalize(call);
    QslVia route = readQslVia(qslVia);
    std::string &via = route.manager;
    if (via == station)
        via.clear();
    const bool elsewhere = route.kind == QslViaKind::NotViaBureau;
    const std::uint32_t unreadNote =
        route.kind == QslViaKind::Unrecognised ? unreadNoteIndex(qslVia) : NoNote;
    std::string key = station;
    key += ' ';
    key += via;
    if (elsewhere)
        key += " !"; // no call holds a blank: a key of its own
    const auto [found, added] =
        m_cardIndex.try_emplace(std::move(key), static_cast<std::uint32_t>(m_cards.size()));
    if (added) {
        const std::uint32_t routeCall = routeIndex(via.empty() ? station : via);
        // A manager's card is filed by his call, but names the worked station's entity.
        const std::uint32_t entityCall = via.empty() ? routeCall : routeIndex(station);
        m_cards.push_back({std::move(station), std::move(via),
                           elsewhere ? std::string(qslVia) : std::string(), routeCall, entityCall});
    }
    m_entries.push_back({found->second, log, unreadNote, flags});
}

SortedLog LogSorter::piles(std::span<const RouteAnswer> answers, QsoSelection selection) const
{
    SortedLog sorted;
    sorted.entries = m_entries.size();
    sorted.qsoBook = m_qsoBook;

    const RouteAnswer unknown = unknownAnswer();
    const auto answerOf = [&answers, &unknown](std::uint32_t route) -> const RouteAnswer & {
        return route < answers.size() ? answers[route] : unknown;
    };
    // A manager who is the worked station's own home call (DL1ABC/P "via DL1ABC") is no
    // manager: such QSOs go on the card that goes by the home call, one card for both.
    std::vector<std::uint32_t> cardOf(m_cards.size());
    std::vector<bool> byHome(m_cards.size(), false);
    for (std::uint32_t c = 0; c < m_cards.size(); ++c) {
        const CardKey &key = m_cards[c];
        cardOf[c] = c;
        if (key.via.empty() || answerOf(key.entity).home != key.via)
            continue;
        byHome[c] = true;
        const auto own = m_cardIndex.find(key.call + (key.note.empty() ? " " : "  !"));
        if (own != m_cardIndex.end())
            cardOf[c] = own->second;
    }

    std::vector<std::vector<std::uint32_t>> cardQsos(m_cards.size());
    std::vector<std::size_t> unreadNoteQsos(m_unreadNotes.size());
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry &entry = m_entries[i];
        if (entry.card == NoCard) {
            ++sorted.withoutCall;
            continue;
        }
        const bool waiting = (entry.flags & Queued) || !m_logHasQslSent[entry.log];
        if (selection == QsoSelection::All || (waiting && !(entry.flags & SentOtherWay))) {
            cardQsos[cardOf[entry.card]].push_back(static_cast<std::uint32_t>(i));
            ++sorted.counted;
            if (entry.unreadNote != NoNote)
                ++unreadNoteQsos[entry.unreadNote];
        }
    }
    for (std::size_t n = 0; n < m_unreadNotes.size(); ++n) {
        if (unreadNoteQsos[n] > 0)
            sorted.unreadNotes.push_back({m_unreadNotes[n], unreadNoteQsos[n]});
    }

    // Bureau piles by sort prefix in byte order (digits before letters, a prefix before its
    // longer forms: 3D2, 3DA, 9A, DL, K1, K4, KA4), each kind after the one before it.
    std::map<std::pair<PileKind, std::string>, CardPile> piles;
    for (std::size_t c = 0; c < m_cards.size(); ++c) {
        if (cardQsos[c].empty())
            continue;
        // A card lists its QSOs as they were made, whatever order the log keeps them in.
        std::stable_sort(
            cardQsos[c].begin(), cardQsos[c].end(), [this](std::uint32_t a, std::uint32_t b) {
                const QsoView first = (*m_qsoBook)[a];
                const QsoView second = (*m_qsoBook)[b];
                return std::tie(first.date, first.time) < std::tie(second.date, second.time);
            });
        const CardKey &key = m_cards[c];
        const RouteAnswer &route = answerOf(byHome[c] ? key.entity : key.route);
        QslCard card{key.call,    byHome[c] ? std::string() : key.via,
                     route.home,  key.note,
                     route.texts, std::move(cardQsos[c])};
        card.answer.entityText = answerOf(key.entity).texts.entityText;
        const PileKind kind = key.note.empty() ? route.pile : PileKind::NotViaBureau;
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
        case PileKind::NotViaBureau:
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
    auto found = findAnswer(call, countries, bureaus);
    if (!found)
        return unknownAnswer();
    std::optional<PortableAnswer> portable;
    if (call.find('/') != std::string::npos)
        portable = lookUpPortable(call, countries, bureaus);
    const bool byHome = portable && portable->home;
    if (byHome)
        found = portable->home;
    RouteAnswer route{resultOf(*found), pileKind(*found), byHome ? portable->homeCall : ""};
    // The KA4 pile names one bureau and one entity, although a KG4 call of area 4b is answered
    // with texts of its own.
    if (found->outcome == LookupOutcome::KG4Usa) {
        if (const auto area = findAnswer("KA4", countries, bureaus);
            area && area->outcome == LookupOutcome::UsArea4b) {
            const LookupResult texts = resultOf(*area);
            route.texts.bureauText = texts.bureauText;
            route.texts.entityText = texts.entityText;
        }
    }
    if (portable && !portable->location.empty())
        route.texts.entityText = portable->location;
    return route;
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
