#pragma once

#include "logbook/LogSorter.h"

#include <QPageSize>
#include <QPointF>
#include <QSizeF>
#include <QString>

class QPrinter;

// A sheet of self-adhesive labels: the page, the size of a label and where they lie (mm).
struct LabelStock
{
    QString name; // as the label window offers it, with its access key
    QPageSize::PageSizeId page;
    int columns;
    int rows;
    QSizeF label;    // one label
    QPointF firstAt; // the top left corner of the first label
    QSizeF pitch;    // from one label to the next across and down
};

// The sheets Vorn prints on: A4 with 3 × 8 labels of 70 × 37 mm, and US Letter with 3 × 10
// labels of 2 5/8 × 1 inch (Avery 5160).
const LabelStock &a4Labels();
const LabelStock &letterLabels();

// Labels for the cards of a sorted log, in pile order: a heading label for each pile, then one
// label per card with its route call and a line per QSO (date, UTC, band, mode, RST and
// "PSE QSL", or "TNX QSL" for a card received). A card with more QSOs than fit goes on on the
// next label.
class LabelSheet
{
public:
    LabelSheet(const SortedLog &sorted, const LabelStock &stock);

    // Paints every page on the stock's paper, edge to edge; false when the printer could not be
    // started.
    bool print(QPrinter *printer) const;

private:
    const SortedLog &m_sorted;
    const LabelStock &m_stock;
};
