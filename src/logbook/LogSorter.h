#pragma once

#include "core/lookup/CallLookup.h"
#include "logbook/LogFields.h"
#include "logbook/QsoBook.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
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

    std::size_t entries() const { return m_entries.size(); }
    // Every route call once, in the order they were first met.
    const std::vector<std::string> &routeCalls() const { return m_routes; }

    // Forms the piles; answers holds the look-up of each route call, in the same order.
    SortedLog piles(std::span<const RouteAnswer> answers, QsoSelection selection) const;

private:
    static constexpr std::uint32_t NoCard = UINT32_MAX;
    static constexpr std::uint32_t NoNote = UINT32_MAX;
    enum Flag : std::uint8_t {
        Queued = 1,       // QSL_SENT Q or R
        SentOtherWay = 2, // QSL_SENT_VIA D, E or M
    };
    struct Entry
    {
        std::uint32_t card;
        std::uint32_t log;
        std::uint32_t unreadNote;
        std::uint8_t flags;
    };
    struct CardKey
    {
        std::string call;
        std::string via;
        std::string note; // set for a card that does not go via the bureau
        std::uint32_t route;
        std::uint32_t entity; // the worked call's route, for its entity; route without a manager
    };

    std::uint32_t routeIndex(const std::string &call);
    std::uint32_t unreadNoteIndex(std::string_view text);

    std::vector<Entry> m_entries;
    std::vector<CardKey> m_cards;
    std::unordered_map<std::string, std::uint32_t> m_cardIndex; // "call via"
    std::vector<std::string> m_routes;
    std::unordered_map<std::string, std::uint32_t> m_routeIndex;
    std::vector<bool> m_logHasQslSent;
    std::vector<std::string> m_unreadNotes;
    std::unordered_map<std::string, std::uint32_t> m_unreadNoteIndex;
    std::shared_ptr<QsoBook> m_qsoBook = std::make_shared<QsoBook>();
};

// The look-up of a route call; "unknown" for a call the look-up gives nothing for. A portable or
// guest call goes to the pile of its home call, when the home call gives one, and shows the
// entity where he operates. The cards of US call area 4b all show the bureau and entity of
// that area, KG4 calls among them.
RouteAnswer lookUpRouteCall(const std::string &call, const CountryTable &countries,
                            const BureauTable &bureaus);

// Looks up every route call in the tables and forms the piles at once.
SortedLog sortLog(const LogSorter &sorter, const CountryTable &countries,
                  const BureauTable &bureaus, QsoSelection selection);
