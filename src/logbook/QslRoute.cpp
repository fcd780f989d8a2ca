#include "logbook/QslRoute.h"

#include "core/text/Ascii.h"
#include "core/text/CallParts.h"
#include "core/text/CallText.h"
#include "logbook/LogFields.h"

#include <algorithm>
#include <vector>

namespace {

bool isManagerShape(std::string_view word)
{
    return word.size() <= CallText::MaxLength && hasCallShape(word);
}

enum class NoteWord { Other, Bureau, NoBureau, Negation, Direct, Elsewhere, Club };

// The words of QSL_VIA notes, in their usual spellings (a hyphen is dropped first, so that
// "e-QSL" and "no-buro" are one word).
NoteWord noteWord(std::string_view word)
{
    struct Entry
    {
        std::string_view word;
        NoteWord meaning;
    };
    static constexpr Entry Words[] = {
        {"BURO", NoteWord::Bureau},       {"BUREAU", NoteWord::Bureau},
        {"BUERO", NoteWord::Bureau},      {"NOBURO", NoteWord::NoBureau},
        {"NOBUREAU", NoteWord::NoBureau}, {"NO", NoteWord::Negation},
        {"NOT", NoteWord::Negation},      {"NON", NoteWord::Negation},
        {"DIRECT", NoteWord::Direct},     {"DIREKT", NoteWord::Direct},
        {"DIR", NoteWord::Direct},        {"OQRS", NoteWord::Elsewhere},
        {"LOTW", NoteWord::Elsewhere},    {"EQSL", NoteWord::Elsewhere},
        {"CLUBLOG", NoteWord::Elsewhere}, {"CLUB", NoteWord::Club},
    };
    for (const Entry &entry : Words) {
        if (entry.word == word)
            return entry.meaning;
    }
    return NoteWord::Other;
}

std::vector<std::string> noteWords(std::string_view qslVia)
{
    std::vector<std::string> words(1);
    for (const char c : qslVia) {
        const char upper = Ascii::upper(c);
        if (Ascii::isAlnum(upper))
            words.back() += upper;
        else if (c != '-' && !words.back().empty())
            words.emplace_back();
    }
    if (words.back().empty())
        words.pop_back();
    return words;
}

} // namespace

std::string managerCall(std::string_view qslVia)
{
    // "via WØABC": a slashed zero is the digit.
    const std::string text = Ascii::upperText(CallText::withPlainZeros(qslVia));
    std::string first;
    bool afterVia = false;
    std::size_t at = 0;
    while (at < text.size()) {
        // Words are runs of letters and digits; '/' parts are words of their own.
        while (at < text.size() && !Ascii::isAlnum(text[at]))
            ++at;
        std::size_t end = at;
        while (end < text.size() && Ascii::isAlnum(text[end]))
            ++end;
        const std::string_view word = std::string_view(text).substr(at, end - at);
        if (isManagerShape(word)) {
            // "DL1ABC via W3HNK": the worked call comes first, the manager after "via".
            if (afterVia)
                return CallText::normalize(word);
            if (first.empty())
                first = CallText::normalize(word);
        }
        afterVia = word == "VIA";
        at = end;
    }
    return first;
}

QslVia readQslVia(std::string_view qslVia)
{
    if (trimmed(qslVia).empty())
        return {};
    bool bureau = false;
    bool noBureau = false;
    bool direct = false;
    bool elsewhere = false;
    const std::vector<std::string> words = noteWords(qslVia);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const NoteWord word = noteWord(words[i]);
        const NoteWord next = i + 1 < words.size() ? noteWord(words[i + 1]) : NoteWord::Other;
        switch (word) {
        case NoteWord::Bureau:
            bureau = true;
            break;
        case NoteWord::NoBureau:
            noBureau = true;
            break;
        case NoteWord::Negation: // "no buro", "not via buro"
            noBureau = noBureau || next == NoteWord::Bureau ||
                       (i + 2 < words.size() && words[i + 1] == "VIA" &&
                        noteWord(words[i + 2]) == NoteWord::Bureau);
            break;
        case NoteWord::Direct: // but not "no direct"
            direct = direct || i == 0 || noteWord(words[i - 1]) != NoteWord::Negation;
            break;
        case NoteWord::Elsewhere:
            elsewhere = true;
            break;
        case NoteWord::Club: // "Club Log"
            elsewhere = elsewhere || (i + 1 < words.size() && words[i + 1] == "LOG");
            break;
        case NoteWord::Other:
            break;
        }
    }
    if (std::string manager = managerCall(qslVia); !manager.empty()) {
        // "via W3HNK direct", "M0OXO no buro": the card goes to the manager, but not through a
        // bureau; "W3HNK direct or buro" leaves the bureau open. A manager's OQRS or LoTW is no
        // word against his bureau.
        const bool notViaBureau = noBureau || (direct && !bureau);
        return {notViaBureau ? QslViaKind::NotViaBureau : QslViaKind::Manager, std::move(manager)};
    }
    if (noBureau)
        return {QslViaKind::NotViaBureau, {}};
    // "direct or buro": the bureau will do.
    if (bureau)
        return {QslViaKind::Bureau, {}};
    if (direct || elsewhere)
        return {QslViaKind::NotViaBureau, {}};
    return {QslViaKind::Unrecognised, {}};
}
