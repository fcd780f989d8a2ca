#pragma once

#include "logbook/LogSorter.h"

#include <QDate>
#include <QPageLayout>
#include <QString>

class QPagedPaintDevice;

// The printed sorting sheet: a block per pile, headed by its sort prefix, bureau, entities and
// counts, with its cards in columns and a box to tick beside each one. A short block starts on a
// new page when it would not fit on the rest of the page; a longer one starts where it is and
// goes on under its heading on the next page. The set-apart piles follow under headings that say
// why. Pages are numbered "page 1 of 3".
class SortSheet
{
public:
    SortSheet(const SortedLog &sorted, QString logName, QDate date);

    // The paper for a PDF of the sheet, with margins that every printer can print in.
    static QPageLayout pageLayout(bool letter);
    // Paints every page within the device's page layout; false when it could not be started.
    bool paint(QPagedPaintDevice &device) const;

private:
    const SortedLog &m_sorted;
    QString m_logName;
    QDate m_date;
};
