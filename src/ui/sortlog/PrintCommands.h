#pragma once

#include <QPageLayout>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

// Pages that the Sort log window and the label window print: the document's name, what makes the
// printer ready for them before a dialog shows it (the paper, say), the page layout of a PDF file
// of them (none: the painting sets its own), and the painting of every page, which says whether
// it could be started.
struct PrintJob
{
    QString documentName;
    std::function<void(QPrinter &)> setUp;
    std::function<bool(QPagedPaintDevice &)> paint;
    QPageLayout pdfLayout;
};

// The three ways out for the pages; the printer's on a high-resolution printer of their own.
namespace PrintCommands {
// A preview window with the caption given, from which the pages can be printed as well.
void preview(QWidget *parent, const QString &caption, const PrintJob &job);
// The printer dialog with the caption given, then the pages; false only when they could not be
// printed, not when the dialog was cancelled.
bool print(QWidget *parent, const QString &caption, const PrintJob &job);
// The pages as a PDF file, put in place whole or not at all (savePdf); the error says why not.
bool saveAsPdf(const QString &path, const PrintJob &job, QString &error);
} // namespace PrintCommands
