#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

// Pages that the Sort log window and the label window print: the document's name, what makes the
// printer ready for them before a dialog shows it (the paper, say), and the painting of every
// page, which says whether the printer could be started.
struct PrintJob
{
    QString documentName;
    std::function<void(QPrinter &)> setUp;
    std::function<bool(QPrinter *)> paint;
};

// The three ways out for the pages, each on a high-resolution printer of its own.
namespace PrintCommands {
// A preview window with the caption given, from which the pages can be printed as well.
void preview(QWidget *parent, const QString &caption, const PrintJob &job);
// The printer dialog with the caption given, then the pages; false only when they could not be
// printed, not when the dialog was cancelled.
bool print(QWidget *parent, const QString &caption, const PrintJob &job);
// The pages as a PDF file; false when it could not be written.
bool saveAsPdf(const QString &path, const PrintJob &job);
} // namespace PrintCommands
