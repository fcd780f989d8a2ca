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

void RouteAnswers::add(RouteAnswer answer)
{
    std::string key;
    for (const std::string *text : {&answer.texts.sortText, &answer.texts.bureauText,
                                    &answer.texts.entityText, &answer.home}) {
        key += *text;
        key += '\0';
    }
    key += static_cast<char>(answer.texts.outcome);
    key += static_cast<char>(answer.pile);
    const auto [found, added] =
        m_index.try_emplace(std::move(key), static_cast<std::uint32_t>(m_distinct.size()));
    if (added)
        m_distinct.push_back(std::move(answer));
    m_ofRoute.push_back(found->second);
}

void LogSorter::reserve(std::size_t entries)
{
    m_qsoCards.reserve(entries);
    m_qsoFlags.reserve(entries);
    m_qsoBook->reserve(entries);
}

void LogSorter::beginLog()
{
    m_logHasQslSent.push_back(false);
    m_logStarts.push_back(m_qsoCards.size());
}

std::size_t LogSorter::bytes() const
{
    return m_qsoCards.capacity() * sizeof(std::uint32_t) + m_qsoFlags.capacity() +
           m_entryNotes.capacity() * sizeof(EntryNote) + m_cards.capacity() * sizeof(CardKey) +
           m_cardSlots.bytes() + m_calls.bytes() + m_notes.bytes() + m_unreadNotes.bytes() +
           m_qsoBook->bytes();
}

// Cards are told apart by station, manager, and whether they go via the bureau at all: two
// notes that both ask for another way make one card.
std::size_t LogSorter::hashOf(const CardKey &key) const
{
    // The finaliser of MurmurHash3: every bit of the key moves the bits the table looks at.
    std::uint64_t mixed = (std::uint64_t{key.call} << 32 | key.via) ^ (key.note != None ? 1 : 0);
    mixed ^= mixed >> 33;
    mixed *= 0xFF51AFD7ED558CCDULL;
    mixed ^= mixed >> 33;
    mixed *= 0xC4CEB9FE1A85EC53ULL;
    mixed ^= mixed >> 33;
    return static_cast<std::size_t>(mixed);
}

std::uint32_t LogSorter::findCard(const CardKey &key) const
{
    return m_cardSlots.find(hashOf(key), [this, &key](std::uint32_t card) {
        const CardKey &other = m_cards[card];
        return other.call == key.call && other.via == key.via &&
               (other.note != None) == (key.note != None);
    });
}

void LogSorter::record(LogFields fields)
{
    if (m_logHasQslSent.empty())
        beginLog();
    const std::size_t log = m_logHasQslSent.size() - 1;
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
    std::uint8_t flags = 0;
    if (!qslSent.empty()) {
        m_logHasQslSent[log] = true;
        const char sent = firstLetter(qslSent);
        if (sent == 'Q' || sent == 'R')
            flags |= Queued;
    }
    if (call.empty()) {
        m_qsoBook->skip();
        return;
    }
    const char sentVia = firstLetter(qslSentVia);
    if (sentVia == 'D' || sentVia == 'E' || sentVia == 'M')
        flags |= SentOtherWay;
    const char received = firstLetter(qslRcvd);
    m_qsoBook->add({date, time, band, submode.empty() ? mode : submode, rstSent,
                    received == 'Y' || received == 'V'});

    const std::string station = CallText::normalize(call);
    const QslVia route = readQslVia(qslVia);
    CardKey key{m_calls.intern(station), None, None};
    if (!route.manager.empty() && route.manager != station)
        key.via = m_calls.intern(route.manager);
    if (route.kind == QslViaKind::NotViaBureau)
        key.note = m_notes.intern(qslVia);
    const auto qso = static_cast<std::uint32_t>(m_qsoCards.size());
    if (route.kind == QslViaKind::Unrecognised)
        m_entryNotes.push_back({qso, m_unreadNotes.intern(qslVia)});
    std::uint32_t card = findCard(key);
    if (card == None) {
        card = static_cast<std::uint32_t>(m_cards.size());
        m_cards.push_back(key);
        m_cardSlots.insert(hashOf(key), card,
                           [this](std::uint32_t stored) { return hashOf(m_cards[stored]); });
    }
    m_qsoCards.push_back(card);
    m_qsoFlags.push_back(flags);
}

SortedLog LogSorter::piles(const RouteAnswers &answers, QsoSelection selection) const
{
    SortedLog sorted;
    sorted.entries = m_qsoBook->size();
    sorted.withoutCall = m_qsoBook->size() - m_qsoBook->kept();
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
        if (key.via == None || answerOf(key.call).home != m_calls[key.via])
            continue;
        byHome[c] = true;
        const std::uint32_t own = findCard({key.call, None, key.note});
        if (own != None)
            cardOf[c] = own;
    }

    // Which QSOs count, and on which card: counted first, so that each card's list is made once.
    std::vector<std::uint32_t> counts(m_cards.size(), 0);
    std::vector<bool> counted(m_qsoCards.size(), false);
    std::vector<std::size_t> unreadNoteQsos(m_unreadNotes.size());
    auto note = m_entryNotes.begin();
    std::size_t log = 0;
    for (std::size_t q = 0; q < m_qsoCards.size(); ++q) {
        while (log + 1 < m_logStarts.size() && m_logStarts[log + 1] <= q)
            ++log;
        while (note != m_entryNotes.end() && note->qso < q)
            ++note;
        const std::uint8_t flags = m_qsoFlags[q];
        const bool waiting = (flags & Queued) || !m_logHasQslSent[log];
        if (selection == QsoSelection::All || (waiting && !(flags & SentOtherWay))) {
            counted[q] = true;
            ++counts[cardOf[m_qsoCards[q]]];
            ++sorted.counted;
            if (note != m_entryNotes.end() && note->qso == q)
                ++unreadNoteQsos[note->note];
        }
    }
    for (std::uint32_t n = 0; n < m_unreadNotes.size(); ++n) {
        if (unreadNoteQsos[n] > 0)
            sorted.unreadNotes.push_back({std::string(m_unreadNotes[n]), unreadNoteQsos[n]});
    }
    std::vector<std::vector<std::uint32_t>> cardQsos(m_cards.size());
    for (std::size_t c = 0; c < m_cards.size(); ++c)
        cardQsos[c].reserve(counts[c]);
    counts = std::vector<std::uint32_t>();
    for (std::size_t q = 0; q < m_qsoCards.size(); ++q) {
        if (counted[q])
            cardQsos[cardOf[m_qsoCards[q]]].push_back(
                static_cast<std::uint32_t>(m_qsoBook->entryOf(q)));
    }
    counted = std::vector<bool>();

    // Bureau piles by sort prefix in byte order (digits before letters, a prefix before its
    // longer forms: 3D2, 3DA, 9A, DL, K1, K4, KA4), each kind after the one before it. The
    // cards of each pile are counted first, so that its list is made once.
    const auto pileOf = [&](std::size_t c) {
        const CardKey &key = m_cards[c];
        const RouteAnswer &route = answerOf(byHome[c] ? key.call : key.route());
        const PileKind kind = key.note == None ? route.pile : PileKind::NotViaBureau;
        const bool bySortText = kind == PileKind::Bureau || kind == PileKind::NonIaru;
        return std::pair{kind, bySortText ? route.texts.sortText : std::string()};
    };
    std::map<std::pair<PileKind, std::string>, CardPile> piles;
    {
        std::map<std::pair<PileKind, std::string>, std::size_t> cardsOfPile;
        for (std::size_t c = 0; c < m_cards.size(); ++c) {
            if (!cardQsos[c].empty())
                ++cardsOfPile[pileOf(c)];
        }
        for (const auto &[key, cards] : cardsOfPile)
            piles[key].cards.reserve(cards);
    }
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
        const RouteAnswer &route = answerOf(byHome[c] ? key.call : key.route());
        QslCard card{std::string(m_calls[key.call]),
                     byHome[c] || key.via == None ? std::string() : std::string(m_calls[key.via]),
                     route.home,
                     key.note == None ? std::string() : std::string(m_notes[key.note]),
                     route.texts,
                     std::move(cardQsos[c])};
        card.answer.entityText = answerOf(key.call).texts.entityText;
        const auto pileKey = pileOf(c);
        CardPile &pile = piles[pileKey];
        pile.kind = pileKey.first;
        pile.qsoCount += card.qsos.size();
        pile.cards.push_back(std::move(card));
    }
    cardQsos = std::vector<std::vector<std::uint32_t>>();

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

RouteAnswer lookUpRouteCall(std::string_view call, const CountryTable &countries,
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
    RouteAnswers answers;
    answers.reserve(sorter.routeCalls().size());
    const TextIndex &calls = sorter.routeCalls();
    for (std::uint32_t i = 0; i < calls.size(); ++i)
        answers.add(lookUpRouteCall(calls[i], countries, bureaus));
    return sorter.piles(answers, selection);
}
