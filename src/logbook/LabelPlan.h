#pragma once

#include "logbook/LogSorter.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
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

    // The first label given by its row and column, as the user counts them on a partly used
    // sheet: from 1 at the top left. Nothing for a place that the sheet does not have.
    std::optional<std::size_t> labelAt(std::size_t row, std::size_t column) const
    {
        if (row < 1 || column < 1 || row > rows || column > columns)
            return std::nullopt;
        return (row - 1) * columns + (column - 1);
    }
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

// The labels of a sorted log in pile order: a heading for each pile unless headings is false,
// then a label for each of its cards, and more for a card whose QSOs do not fit on one (at least
// one QSO per label). They fill each sheet across and then down, from the grid's first label on,
// and then the next sheet.
std::vector<LabelContent> planLabels(const SortedLog &sorted, std::size_t qsosPerLabel,
                                     const SheetGrid &grid, bool headings = true);

// A sheet of self-adhesive labels as its maker lays it out, in millimetres from the top left
// corner of the paper.
struct LabelStock
{
    enum class Paper { A4, Letter };

    std::string_view name;    // as vorn-sort's --label-sheet takes it: "a4-3x8"
    std::string_view caption; // as the label window lists it
    Paper paper = Paper::A4;
    std::size_t columns = 1;
    std::size_t rows = 1;
    double width = 0; // one label
    double height = 0;
    double left = 0; // the first label's top left corner
    double top = 0;
    double pitchX = 0; // from one label to the next across and down
    double pitchY = 0;

    SheetGrid grid(std::size_t firstLabel = 0) const { return {columns, rows, firstLabel}; }
};

// The sheets Vorn prints on; the first of each paper is the one chosen until the user chooses.
std::span<const LabelStock> labelStocks();
// The sheet of that name, or none.
const LabelStock *findLabelStock(std::string_view name);

// How the user wants the labels: remembered between runs in a file of their own (labels.set).
struct LabelOptions
{
    std::string sheet; // a LabelStock's name; empty: the paper the desktop measures in
    bool headings = true;
    std::size_t startRow = 1; // the first free label of a partly used sheet, counted from 1
    std::size_t startColumn = 1;
    std::string ownCall; // "de <call>" on each label; empty: none

    bool operator==(const LabelOptions &) const = default;
};

// One line per option, "name=value"; lines not understood are left out when read, so that a
// file of a later version still gives what this one knows.
std::string formatLabelOptions(const LabelOptions &options);
LabelOptions parseLabelOptions(std::string_view text);
