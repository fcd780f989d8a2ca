#include "ui/sortlog/LabelForm.h"

#include "ui/sortlog/LabelSheet.h"
#include "ui/sortlog/PrintCommands.h"
#include "ui/widgets/DialogFrame.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

LabelForm::LabelForm(AskPath askPdfPath, QWidget *parent)
    : QDialog(parent), m_askPdfPath(std::move(askPdfPath))
{
    setObjectName(QStringLiteral("LabelForm"));
    setWindowTitle(windowCaption(tr("Print labels")));
    setPalette(QApplication::palette());
    setFont(QApplication::font());

    auto *intro =
        new QLabel(tr("One label per card, in pile order, with a heading label for each "
                      "pile. A card with more QSOs than fit continues on the next label."),
                   this);
    intro->setWordWrap(true);

    auto *sheets = new QGroupBox(tr("Sheet"), this);
    m_a4 = new QRadioButton(a4Labels().name, sheets);
    m_a4->setObjectName(QStringLiteral("A4Button"));
    m_letter = new QRadioButton(letterLabels().name, sheets);
    m_letter->setObjectName(QStringLiteral("LetterButton"));
    auto *sheetLayout = new QVBoxLayout(sheets);
    sheetLayout->addWidget(m_a4);
    sheetLayout->addWidget(m_letter);
    // Letter paper where the desktop measures in inches.
    chooseLetter(QLocale().measurementSystem() == QLocale::ImperialUSSystem);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_status->setWordWrap(true);
    m_status->setAccessibleDescription(tr("Status"));

    const auto addButton = [this](const char *name, const QString &text,
                                  void (LabelForm::*slot)()) {
        auto *button = new QPushButton(text, this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        return button;
    };
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(
        addButton("PreviewButton", tr("Print pre&view..."), &LabelForm::previewButtonClick));
    buttons->addWidget(addButton("PrintButton", tr("&Print..."), &LabelForm::printButtonClick));
    buttons->addWidget(addButton("PdfButton", tr("Save as P&DF..."), &LabelForm::pdfButtonClick));
    buttons->addStretch();
    auto *close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(sheets);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    resize(520, sizeHint().height());
}

const LabelStock &LabelForm::stock() const
{
    return m_letter->isChecked() ? letterLabels() : a4Labels();
}

void LabelForm::chooseLetter(bool letter)
{
    (letter ? m_letter : m_a4)->setChecked(true);
}

PrintJob LabelForm::labelJob() const
{
    return {tr("QSL labels"),
            [this](QPrinter &printer) {
                // The sheet's paper, edge to edge, before the preview or the printer's settings
                // show it.
                printer.setFullPage(true);
                printer.setPageSize(QPageSize(stock().page));
            },
            [this](QPrinter *printer) {
                return m_sorted != nullptr && LabelSheet(*m_sorted, stock()).print(printer);
            }};
}

bool LabelForm::saveAsPdf(const QString &path)
{
    if (!PrintCommands::saveAsPdf(path, labelJob())) {
        m_status->setText(tr("Cannot write %1.").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    m_status->setText(tr("Saved the labels in %1.").arg(QDir::toNativeSeparators(path)));
    return true;
}

void LabelForm::pdfButtonClick()
{
    const QString path = m_askPdfPath();
    if (!path.isEmpty())
        saveAsPdf(path);
}

void LabelForm::previewButtonClick()
{
    PrintCommands::preview(this, windowCaption(tr("Labels")), labelJob());
}

void LabelForm::printButtonClick()
{
    if (!PrintCommands::print(this, windowCaption(tr("Print the labels")), labelJob()))
        m_status->setText(tr("The labels could not be printed."));
}
