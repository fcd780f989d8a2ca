#pragma once

#include "core/lookup/CallLookup.h"
#include "logbook/LogFields.h"
#include "logbook/QsoBook.h"
#include "logbook/TextIndex.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Which QSOs of a log get a card.
enum class QsoSelection {
    // QSL_SENT Q or R (queued or requested), or every QSO of a log that has no QSL_SENT at all;
    // never one whose QSL_SENT_VIA is D, E or M (sent direct, electronically or to a manager).
    Waiting,
    All, // every QSO
};

// One QSL card: the counted QSOs with one station that go the same way.
struct QslCard
{
    std::string call; // the worked station, as the call field holds it
    std::string via;  // the manager's call; empty when the card goes to the station
    // The home call of a portable or guest call, whose bureau holds his cards; empty when the
    // card goes by its call or to a manager.
    std::string home;
    std::string note;                // the QSL_VIA note of a card that does not go via the bureau
    LookupResult answer;             // the look-up of the route call; the entity where he operates
    std::vector<std::uint32_t> qsos; // entry numbers, counted from 0 in reading order

    const std::string &routeCall() const
    {
        return !via.empty() ? via : !home.empty() ? home : call;
    }
};

// The piles in the order they are sorted; all kinds but the first are set apart.
enum class PileKind {
    Bureau,       // a QSL bureau of the IARU
    NonIaru,      // a bureau outside the IARU: the card may not be forwarded to it
    NoBureau,     // the "none" pile: entities without a bureau, send direct or via a manager
    NotViaBureau, // QSL_VIA asks for another way: direct, OQRS, LoTW, eQSL
    Unknown,      // calls that fit no prefix, or are incomplete
};

// A QSL_VIA note that Vorn did not understand, and on how many counted QSOs it stands.
struct UnreadNote
{
    std::string text;
    std::size_t qsos = 0;
};

struct CardPile
{
    PileKind kind = PileKind::Bureau;
    std::string sortText; // the sort prefix; empty for the "none" and the unknown pile
    // The bureaus and entities of its cards, each once, in pile order; empty for the "none" and
    // the unknown pile, whose cards each show their own.
    std::string bureauText;
    std::string entityText;
    std::vector<QslCard> cards;
    std::size_t qsoCount = 0;

    bool setApart() const { return kind != PileKind::Bureau; }
};

struct SortedLog
{
    std::vector<CardPile> piles;            // bureau piles by sort prefix, then the set-apart piles
    std::size_t entries = 0;                // QSOs read
    std::size_t withoutCall = 0;            // of them, entries with no call
    std::size_t counted = 0;                // QSOs on cards
    std::size_t damaged = 0;                // records skipped because they were damaged
    std::vector<UnreadNote> unreadNotes;    // in the order first met
    std::shared_ptr<const QsoBook> qsoBook; // the QSOs that the cards' entry numbers name

    QsoView qso(std::uint32_t entry) const { return (*qsoBook)[entry]; }

    // Cards and QSOs in the bureau piles (setApart false) or in the piles set apart.
    std::size_t cardCount(bool setApart) const;
    std::size_t qsoCount(bool setApart) const;
    std::size_t pileCount(bool setApart) const;
};

// "DL", "none" or "unknown or incomplete": what the pile is called.
std::string pileTitle(const CardPile &pile);
// Why a kind of pile is set apart; empty for the bureau piles.
std::string_view pileNote(PileKind kind);
// The pile that a look-up's answer goes to, from its outcome and its bureau row.
PileKind pileKind(const LookupAnswer &answer);

// The look-up of one route call as sorting uses it: the texts that the piles and listings
// show, and the pile that the look-up chose.
struct RouteAnswer
{
    LookupResult texts;
    PileKind pile = PileKind::Unknown;
    std::string home; // the home call the route went by, for a portable or guest call

    bool operator==(const RouteAnswer &) const = default;
};

// The look-ups of the route calls, each answer once: a log's many thousand calls get a few
// hundred distinct answers, which each route call names by number.
class RouteAnswers
{
public:
    void reserve(std::size_t routes) { m_ofRoute.reserve(routes); }
    // The answer for the next route call.
    void add(RouteAnswer answer);
    std::size_t size() const { return m_ofRoute.size(); }
    const RouteAnswer &operator[](std::size_t route) const { return m_distinct[m_ofRoute[route]]; }
    std::size_t distinct() const { return m_distinct.size(); }

private:
    std::vector<RouteAnswer> m_distinct;
    std::vector<std::uint32_t> m_ofRoute;
    std::map<std::string, std::uint32_t> m_index; // by the answer's texts, joined
};

// Gathers the QSOs of one or more logs into cards, one per worked station and route. The
// piles are formed once every route call has been looked up.
class LogSorter final : public LogSink
{
public:
    // Makes room for about this many QSOs at once, instead of growing step by step.
    void reserve(std::size_t entries);
    // The QSOs that follow belong to another log: whether a log holds QSL_SENT is judged per log.
    void beginLog();
    void record(LogFields fields) override;

    std::size_t entries() const { return m_qsoBook->size(); }
    // Every route call once, in the order they were first met.
    const TextIndex &routeCalls() const { return m_calls; }

    // Forms the piles; answers holds the look-up of each route call, in the same order.
    SortedLog piles(const RouteAnswers &answers, QsoSelection selection) const;

    // The memory it holds, for the benchmarks.
    std::size_t bytes() const;

private:
    static constexpr std::uint32_t None = TextIndex::None;
    enum Flag : std::uint8_t {
        Queued = 1,       // QSL_SENT Q or R
        SentOtherWay = 2, // QSL_SENT_VIA D, E or M
    };
    // A card: one worked station and one way. Calls are numbers of m_calls, which are the route
    // calls too: the manager's call for a manager's card, else the station's own.
    struct CardKey
    {
        std::uint32_t call;
        std::uint32_t via;  // None without a manager
        std::uint32_t note; // of m_notes: set for a card that does not go via the bureau
        std::uint32_t route() const { return via != None ? via : call; }
    };
    // An entry's QSL_VIA note that was not understood.
    struct EntryNote
    {
        std::uint32_t qso; // the entry's number among those with a call
        std::uint32_t note;
    };

    std::size_t hashOf(const CardKey &key) const;
    std::uint32_t findCard(const CardKey &key) const;

    // Of each entry with a call, in reading order: its card and flags. Entries without a call
    // are only counted (by the QSO book), and their logs judged.
    std::vector<std::uint32_t> m_qsoCards;
    std::vector<std::uint8_t> m_qsoFlags;
    std::vector<EntryNote> m_entryNotes;
    std::vector<CardKey> m_cards;
    IndexSlots m_cardSlots;
    TextIndex m_calls;
    TextIndex m_notes;
    TextIndex m_unreadNotes;
    std::vector<std::size_t> m_logStarts; // the first entry with a call of each log
    std::vector<bool> m_logHasQslSent;
    std::shared_ptr<QsoBook> m_qsoBook = std::make_shared<QsoBook>();
};

// The look-up of a route call; "unknown" for a call the look-up gives nothing for. A portable or
// guest call goes to the pile of its home call, when the home call gives one, and shows the
// entity where he operates. The cards of US call area 4b all show the bureau and entity of
// that area, KG4 calls among them.
RouteAnswer lookUpRouteCall(std::string_view call, const CountryTable &countries,
                            const BureauTable &bureaus);

// Looks up every route call in the tables and forms the piles at once.
SortedLog sortLog(const LogSorter &sorter, const CountryTable &countries,
                  const BureauTable &bureaus, QsoSelection selection);
