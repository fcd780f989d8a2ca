#pragma once

#include "logbook/LabelPlan.h"
#include "logbook/LogSorter.h"

#include <QPageLayout>

class QPagedPaintDevice;

// Labels for the cards of a sorted log, in pile order: a heading label for each pile unless the
// options leave them out, then one label per card with the worked call, the manager's, the
// pile's tag and a line per QSO (date, UTC, band, mode, RST and "PSE QSL", or "TNX QSL" for a
// card received), and "de" the user's call when the options give one. A card with more QSOs
// than fit goes on on the next label. Calls are never cut: a long title takes a smaller size or
// a second line. No text comes nearer the paper's edge than most printers can print.
class LabelSheet
{
public:
    // The options' sheet name is not read: the stock is given.
    LabelSheet(const SortedLog &sorted, const LabelStock &stock, const LabelOptions &options);

    // The stock's paper, edge to edge.
    static QPageLayout pageLayout(const LabelStock &stock);
    // Paints every page on the device, whose page layout it sets first; false when it could not
    // be started.
    bool paint(QPagedPaintDevice &device) const;

private:
    const SortedLog &m_sorted;
    const LabelStock &m_stock;
    LabelOptions m_options;
};

// Nearer the paper's edge than this, many laser printers print nothing (mm).
inline constexpr double UnprintableEdgeMm = 4.0;
