#pragma once

#include "logbook/LogSorter.h"

#include <cstddef>
#include <vector>

// One address label of a sheet: the heading of a pile, or a card with some of its QSOs.
struct LabelContent
{
    const CardPile *pile = nullptr;
    const QslCard *card = nullptr; // none for the heading of a pile
    std::size_t firstQso = 0;      // of the card's QSOs, those from here on
    std::size_t qsoCount = 0;
    std::size_t part = 1; // a card with more QSOs than a label takes goes on over several
    std::size_t parts = 1;
};

// The labels of a sorted log in pile order: a heading for each pile, then a label for each of
// its cards, and more for a card whose QSOs do not fit on one (at least one QSO per label).
std::vector<LabelContent> planLabels(const SortedLog &sorted, std::size_t qsosPerLabel);
