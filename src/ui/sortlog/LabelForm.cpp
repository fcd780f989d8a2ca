#include "ui/sortlog/LabelForm.h"

#include "core/text/FileReplacement.h"
#include "print/LabelSheet.h"
#include "ui/sortlog/PrintCommands.h"
#include "ui/widgets/CoreText.h"
#include "ui/widgets/DialogFrame.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include <fstream>
#include <sstream>

LabelForm::LabelForm(AskPath askPdfPath, std::filesystem::path optionsFile,
                     const std::string &ownCall, QWidget *parent)
    : QDialog(parent), m_askPdfPath(std::move(askPdfPath)), m_optionsFile(std::move(optionsFile))
{
    setObjectName(QStringLiteral("LabelForm"));
    setWindowTitle(windowCaption(tr("Print labels")));
    setPalette(QApplication::palette());
    setFont(QApplication::font());

    auto *intro =
        new QLabel(tr("One label per card, in pile order, each with its pile. A card with more "
                      "QSOs than fit continues on the next label."),
                   this);
    intro->setWordWrap(true);

    m_sheet = new QComboBox(this);
    m_sheet->setObjectName(QStringLiteral("SheetBox"));
    for (const LabelStock &stock : labelStocks())
        m_sheet->addItem(fromUtf8(stock.caption), fromUtf8(stock.name));
    m_headings = new QCheckBox(tr("A &heading label before each pile"), this);
    m_headings->setObjectName(QStringLiteral("HeadingsBox"));
    m_startRow = new QSpinBox(this);
    m_startRow->setObjectName(QStringLiteral("StartRowBox"));
    m_startRow->setAccessibleName(tr("Row of the first free label"));
    m_startColumn = new QSpinBox(this);
    m_startColumn->setObjectName(QStringLiteral("StartColumnBox"));
    m_startColumn->setAccessibleName(tr("Column of the first free label"));
    auto *start = new QHBoxLayout;
    auto *rowLabel = new QLabel(tr("&row"), this);
    rowLabel->setBuddy(m_startRow);
    auto *columnLabel = new QLabel(tr("co&lumn"), this);
    columnLabel->setBuddy(m_startColumn);
    start->addWidget(rowLabel);
    start->addWidget(m_startRow);
    start->addWidget(columnLabel);
    start->addWidget(m_startColumn);
    start->addStretch();
    m_ownCall = new QLineEdit(this);
    m_ownCall->setObjectName(QStringLiteral("OwnCallEdit"));
    m_ownCall->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z0-9/]{0,20}")), m_ownCall));
    m_ownCall->setPlaceholderText(tr("none"));

    auto *form = new QFormLayout;
    auto *sheetLabel = new QLabel(tr("&Sheet:"), this);
    sheetLabel->setBuddy(m_sheet);
    form->addRow(sheetLabel, m_sheet);
    form->addRow(QString(), m_headings);
    auto *startLabel = new QLabel(tr("First free label:"), this);
    form->addRow(startLabel, start);
    auto *ownCallLabel = new QLabel(tr("&Own call (\"de\"):"), this);
    ownCallLabel->setBuddy(m_ownCall);
    form->addRow(ownCallLabel, m_ownCall);
    connect(m_sheet, &QComboBox::currentIndexChanged, this, &LabelForm::sheetChanged);

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
    layout->addLayout(form);
    layout->addWidget(m_status);
    layout->addLayout(buttons);

    LabelOptions options;
    std::ifstream file(m_optionsFile, std::ios::binary);
    if (!m_optionsFile.empty() && file) {
        std::ostringstream text;
        text << file.rdbuf();
        options = parseLabelOptions(text.str());
    } else {
        options.ownCall = ownCall;
    }
    setOptions(options);
    resize(560, sizeHint().height());
}

const LabelStock &LabelForm::stock() const
{
    const LabelStock *stock = findLabelStock(toSingleByte(m_sheet->currentData().toString()));
    return stock != nullptr ? *stock : labelStocks().front();
}

LabelOptions LabelForm::options() const
{
    return {std::string(stock().name), m_headings->isChecked(),
            static_cast<std::size_t>(m_startRow->value()),
            static_cast<std::size_t>(m_startColumn->value()),
            toSingleByte(m_ownCall->text().trimmed().toUpper())};
}

void LabelForm::setOptions(const LabelOptions &options)
{
    const LabelStock *stock = findLabelStock(options.sheet);
    if (stock == nullptr) {
        // Letter paper where the desktop measures in inches.
        const bool letter = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
        for (const LabelStock &each : labelStocks()) {
            if ((each.paper == LabelStock::Paper::Letter) == letter) {
                stock = &each;
                break;
            }
        }
    }
    m_sheet->setCurrentIndex(m_sheet->findData(fromUtf8(stock->name)));
    sheetChanged();
    m_headings->setChecked(options.headings);
    m_startRow->setValue(static_cast<int>(options.startRow));
    m_startColumn->setValue(static_cast<int>(options.startColumn));
    m_ownCall->setText(fromSingleByte(options.ownCall));
}

void LabelForm::sheetChanged()
{
    // A place that the sheet chosen does not have comes back to its last row or column.
    m_startRow->setRange(1, static_cast<int>(stock().rows));
    m_startColumn->setRange(1, static_cast<int>(stock().columns));
}

void LabelForm::saveOptions()
{
    if (!m_optionsFile.empty())
        replaceOwnFile(m_optionsFile, formatLabelOptions(options()));
}

void LabelForm::done(int result)
{
    saveOptions();
    QDialog::done(result);
}

PrintJob LabelForm::labelJob() const
{
    return {tr("QSL labels"),
            [this](QPrinter &printer) {
                // The sheet's paper, edge to edge, before the preview or the printer's settings
                // show it.
                printer.setFullPage(true);
                printer.setPageLayout(LabelSheet::pageLayout(stock()));
            },
            [this](QPagedPaintDevice &device) {
                return m_sorted != nullptr &&
                       LabelSheet(*m_sorted, stock(), options()).paint(device);
            },
            {}};
}

bool LabelForm::saveAsPdf(const QString &path)
{
    saveOptions();
    QString error;
    if (!PrintCommands::saveAsPdf(path, labelJob(), error)) {
        m_status->setText(tr("The labels were not saved: %1.").arg(error));
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
    saveOptions();
    PrintCommands::preview(this, windowCaption(tr("Labels")), labelJob());
}

void LabelForm::printButtonClick()
{
    saveOptions();
    if (!PrintCommands::print(this, windowCaption(tr("Print the labels")), labelJob()))
        m_status->setText(tr("The labels could not be printed."));
}
