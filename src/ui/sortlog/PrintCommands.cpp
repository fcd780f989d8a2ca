#include "ui/sortlog/PrintCommands.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

void setUp(QPrinter &printer, const PrintJob &job)
{
    printer.setDocName(job.documentName);
    if (job.setUp)
        job.setUp(printer);
}

} // namespace

void PrintCommands::preview(QWidget *parent, const QString &caption, const PrintJob &job)
{
    QPrinter printer(QPrinter::HighResolution);
    setUp(printer, job);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(caption);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&job](QPrinter *pages) { job.paint(pages); });
    preview.exec();
}

bool PrintCommands::print(QWidget *parent, const QString &caption, const PrintJob &job)
{
    QPrinter printer(QPrinter::HighResolution);
    setUp(printer, job);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(caption);
    return dialog.exec() != QDialog::Accepted || job.paint(&printer);
}

bool PrintCommands::saveAsPdf(const QString &path, const PrintJob &job)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    setUp(printer, job);
    return job.paint(&printer);
}
