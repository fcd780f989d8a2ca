#include "logbook/TextIndex.h"

#include "logbook/QsoBook.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// The slots grow when a text would fill more than 70 % of them: 11 texts fit the first 16 slots,
// the 12th moves everything into 32. Every text keeps its number across the move.
TEST(TextIndex, keepsEveryNumberWhenItsSlotsGrow)
{
    const std::pair<std::size_t, std::size_t> rows[] = {{11, 16}, {12, 32}, {22, 32}, {23, 64}};
    for (const auto &[count, slots] : rows) {
        TextIndex index;
        EXPECT_EQ(index.find(""), TextIndex::None);
        for (std::size_t i = 0; i < count; ++i)
            EXPECT_EQ(index.intern(i == 0 ? std::string() : "DL" + std::to_string(i)), i);
        EXPECT_EQ(index.slotCapacity(), slots) << count;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string text = i == 0 ? std::string() : "DL" + std::to_string(i);
            EXPECT_EQ(index.find(text), i) << count;
            EXPECT_EQ(index.intern(text), i) << count;
            EXPECT_EQ(index[static_cast<std::uint32_t>(i)], text) << count;
        }
        EXPECT_EQ(index.size(), count);
        EXPECT_EQ(index.find("DL" + std::to_string(count)), TextIndex::None);
    }
}

// Entries without a call take no room, and every QSO kept still answers to its entry number:
// skips at the start, between QSOs and at the end.
TEST(QsoBook, entriesSkippedKeepTheNumbersOfTheOthers)
{
    QsoBook book;
    const std::string pattern = "-kk--k-k-";
    for (std::size_t entry = 0; entry < pattern.size(); ++entry) {
        if (pattern[entry] == 'k')
            book.add({"20240101", std::to_string(entry), "20m", "CW", "599", entry == 5});
        else
            book.skip();
    }
    EXPECT_EQ(book.size(), pattern.size());
    EXPECT_EQ(book.kept(), 4u);
    const std::size_t kept[] = {1, 2, 5, 7};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(book.entryOf(k), kept[k]);
        const QsoView qso = book[kept[k]];
        EXPECT_EQ(qso.time, std::to_string(kept[k]));
        EXPECT_EQ(qso.qslReceived, kept[k] == 5);
    }
}

} // namespace
