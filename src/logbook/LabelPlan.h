#pragma once

#include "logbook/LogSorter.h"

#include <cstddef>
#include <vector>

// Where a label lies: the page, counted from 1 as pages are numbered, and the row and the column
// on it, counted from 0 at the top left.
struct LabelPlace
{
    std::size_t page = 1;
    std::size_t row = 0;
    std::size_t column = 0;

    bool operator==(const LabelPlace &) const = default;
};

// The labels of one sheet, and where on the first sheet the first label goes: the labels before
// it, counted across and then down, may have been used already. A sheet has one label at least.
struct SheetGrid
{
    std::size_t columns = 1;
    std::size_t rows = 1;
    std::size_t firstLabel = 0;
};

// One address label of a sheet: the heading of a pile, or a card with some of its QSOs.
struct LabelContent
{
    const CardPile *pile = nullptr;
    const QslCard *card = nullptr; // none for the heading of a pile
    std::size_t firstQso = 0;      // of the card's QSOs, those from here on
    std::size_t qsoCount = 0;
    std::size_t part = 1; // a card with more QSOs than a label takes goes on over several
    std::size_t parts = 1;
    LabelPlace place;
};

// The labels of a sorted log in pile order: a heading for each pile, then a label for each of
// its cards, and more for a card whose QSOs do not fit on one (at least one QSO per label). They
// fill each sheet across and then down, from the grid's first label on, and then the next sheet.
std::vector<LabelContent> planLabels(const SortedLog &sorted, std::size_t qsosPerLabel,
                                     const SheetGrid &grid);
