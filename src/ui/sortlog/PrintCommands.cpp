#include "ui/sortlog/PrintCommands.h"

#include "print/PdfFile.h"
#include "ui/widgets/CoreText.h"

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
                     [&job](QPrinter *pages) { job.paint(*pages); });
    preview.exec();
}

bool PrintCommands::print(QWidget *parent, const QString &caption, const PrintJob &job)
{
    QPrinter printer(QPrinter::HighResolution);
    setUp(printer, job);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(caption);
    return dialog.exec() != QDialog::Accepted || job.paint(printer);
}

bool PrintCommands::saveAsPdf(const QString &path, const PrintJob &job, QString &error)
{
    std::string why;
    const bool saved = savePdf(
        toLocalPath(path), job.documentName,
        [&job](QPagedPaintDevice &device) {
            if (job.pdfLayout.isValid())
                device.setPageLayout(job.pdfLayout);
            return job.paint(device);
        },
        why);
    if (!saved)
        error = QString::fromLocal8Bit(why.c_str());
    return saved;
}
