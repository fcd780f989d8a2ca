#include "logbook/LabelPlan.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Two piles of cards with one QSO each: DL with three cards, none with two.
SortedLog twoPiles()
{
    SortedLog sorted;
    CardPile dl;
    dl.sortText = "DL";
    for (const char *call : {"DL1ABC", "DL2ABC", "DL3ABC"})
        dl.cards.push_back({call, {}, {}, {}, {}, {0}});
    CardPile none;
    none.kind = PileKind::NoBureau;
    for (const char *call : {"P5ABC", "P5XYZ"})
        none.cards.push_back({call, {}, {}, {}, {}, {0}});
    sorted.piles = {dl, none};
    return sorted;
}

// The first place on the plan, and what goes there: a pile's heading or a card.
std::string firstLabel(const std::vector<LabelContent> &plan)
{
    const LabelContent &first = plan.at(0);
    return std::to_string(first.place.row) + ',' + std::to_string(first.place.column) + ' ' +
           (first.card == nullptr ? "heading " + pileTitle(*first.pile) : first.card->call);
}

} // namespace

// The label options on the plan: with or without headings, from the first free label of a partly
// used sheet on, given by row and column as the user counts them.
TEST(LabelPlan, startsAtTheFirstFreeLabelWithOrWithoutHeadings)
{
    const SortedLog sorted = twoPiles();
    const SheetGrid grid{3, 8};
    struct Row
    {
        std::size_t row, column;
        bool headings;
        std::size_t labels;
        std::string first;
    };
    const Row rows[] = {
        {1, 1, true, 7, "0,0 heading DL"}, {1, 1, false, 5, "0,0 DL1ABC"},
        {1, 3, false, 5, "0,2 DL1ABC"},    {2, 1, false, 5, "1,0 DL1ABC"},
        {8, 3, true, 7, "7,2 heading DL"}, // the sheet's last label
    };
    for (const Row &row : rows) {
        const auto first = grid.labelAt(row.row, row.column);
        ASSERT_TRUE(first) << row.row << ',' << row.column;
        const std::vector<LabelContent> plan = planLabels(sorted, 1, {3, 8, *first}, row.headings);
        EXPECT_EQ(plan.size(), row.labels) << row.first;
        EXPECT_EQ(firstLabel(plan), row.first);
    }
    // The label after the last of a sheet starts the next.
    const auto last = grid.labelAt(8, 3);
    ASSERT_TRUE(last);
    EXPECT_EQ(planLabels(sorted, 1, {3, 8, *last}, true).at(1).place, (LabelPlace{2, 0, 0}));
}

TEST(LabelPlan, aFirstLabelBeyondTheSheetIsRefused)
{
    const SheetGrid grid{3, 8};
    EXPECT_EQ(grid.labelAt(8, 3), 23u);
    for (const auto &[row, column] :
         {std::pair<std::size_t, std::size_t>{9, 1}, {1, 4}, {0, 1}, {1, 0}})
        EXPECT_FALSE(grid.labelAt(row, column)) << row << ',' << column;
}

// Every sheet: its last label on the first page, one more on the next; and its labels lie on
// its paper, with a gap between them never negative.
TEST(LabelPlan, everySheetBreaksPagesAfterItsLastLabel)
{
    SortedLog sorted;
    CardPile pile;
    pile.sortText = "DL";
    for (int i = 0; i < 60; ++i)
        pile.cards.push_back({"DL" + std::to_string(i), {}, {}, {}, {}, {0}});
    sorted.piles = {pile};

    for (const LabelStock &stock : labelStocks()) {
        SCOPED_TRACE(std::string(stock.name));
        const std::size_t perPage = stock.columns * stock.rows;
        const std::vector<LabelContent> plan = planLabels(sorted, 1, stock.grid(), false);
        ASSERT_GT(plan.size(), perPage);
        EXPECT_EQ(plan.at(perPage - 1).place, (LabelPlace{1, stock.rows - 1, stock.columns - 1}));
        EXPECT_EQ(plan.at(perPage).place, (LabelPlace{2, 0, 0}));

        const bool letter = stock.paper == LabelStock::Paper::Letter;
        const double paperWidth = letter ? 215.9 : 210;
        const double paperHeight = letter ? 279.4 : 297;
        EXPECT_GE(stock.left, 0);
        EXPECT_GE(stock.top, 0);
        EXPECT_GE(stock.pitchX, stock.width);
        EXPECT_GE(stock.pitchY, stock.height);
        EXPECT_LE(stock.left + stock.pitchX * double(stock.columns - 1) + stock.width,
                  paperWidth + 0.1);
        EXPECT_LE(stock.top + stock.pitchY * double(stock.rows - 1) + stock.height,
                  paperHeight + 0.1);
        EXPECT_EQ(findLabelStock(stock.name), &stock);
    }
    EXPECT_EQ(findLabelStock("a4"), nullptr);
}

// The options file: what this version writes it reads back; a line it does not know, or a
// start that is no place, leaves the default.
TEST(LabelOptions, readBackWhatIsWrittenAndSkipWhatIsNotUnderstood)
{
    const LabelOptions options{"letter-2x5", false, 4, 2, "DL9XYZ"};
    EXPECT_EQ(parseLabelOptions(formatLabelOptions(options)), options);

    struct Row
    {
        const char *text;
        std::size_t row, column;
    };
    const Row rows[] = {
        {"start=3,2\r\nlater=7\r\n", 3, 2},
        {"start=0,2\n", 1, 1},
        {"start=3\n", 1, 1},
        {"start=3,x\n", 1, 1},
        {"start=-3,2\n", 1, 1},
        {"start=1000,1000\n", 1000, 1000},
        {"start=1001,1\n", 1, 1},
    };
    for (const Row &row : rows) {
        const LabelOptions read = parseLabelOptions(row.text);
        EXPECT_EQ(read.startRow, row.row) << row.text;
        EXPECT_EQ(read.startColumn, row.column) << row.text;
        EXPECT_TRUE(read.headings);
    }
}
