#include "ui/sortlog/SortLogForm.h"

#include "core/shell/AppState.h"
#include "core/text/FileReplacement.h"
#include "logbook/LogFields.h"
#include "logbook/MarkAsSent.h"
#include "logbook/PileListing.h"
#include "logbook/SortJob.h"
#include "print/SortSheet.h"
#include "ui/sortlog/CardFilter.h"
#include "ui/sortlog/LabelForm.h"
#include "ui/sortlog/PileModel.h"
#include "ui/sortlog/PrintCommands.h"
#include "ui/widgets/CoreText.h"
#include "ui/widgets/DialogFrame.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <sstream>

namespace {

// Each step of reading leaves the event loop alone for about this long at most.
constexpr std::chrono::milliseconds StepBudget(15);
constexpr int ProgressSteps = 1000;
// A second Sort log window opens this far down and right of the first.
constexpr int WindowStep = 32;

// "cannot read …" as the first words of a sentence.
QString sentence(const std::string &text)
{
    QString line = fromUtf8(text);
    if (!line.isEmpty())
        line[0] = line[0].toUpper();
    return line;
}

} // namespace

SortLogForm::SortLogForm(AppState &state, QWidget *parent) : QMainWindow(parent), m_state(state)
{
    setObjectName(QStringLiteral("SortLogForm"));
    setWindowTitle(windowCaption(tr("Sort log")));
    setWindowIcon(programIcon());
    // A window for reading lists: the desktop's own font and colours, not the main window's.
    setPalette(QApplication::palette());
    setFont(QApplication::font());
    setAcceptDrops(true);
    createControls();
    resize(980, 600);

    m_stepTimer.setInterval(0);
    connect(&m_stepTimer, &QTimer::timeout, this, &SortLogForm::readStep);
    m_markTimer.setInterval(0);
    connect(&m_markTimer, &QTimer::timeout, this, &SortLogForm::markStep);
    m_markQuestions.targetFile = [this](const QString &proposed) {
        return QFileDialog::getSaveFileName(this, tr("Mark as sent: save the log as"), proposed,
                                            tr("ADIF files (*.adi *.adif);;All files (*)"), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    m_markQuestions.replace = [this](const QString &file) {
        return QMessageBox::question(this, windowCaption(tr("Mark as sent")),
                                     tr("%1 already exists.\nDo you want to replace it?")
                                         .arg(QDir::toNativeSeparators(file)),
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    enableCommands();
}

SortLogForm::~SortLogForm() = default;

QPushButton *SortLogForm::addButton(const char *name, const QString &text,
                                    void (SortLogForm::*slot)())
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, slot);
    return button;
}

void SortLogForm::createControls()
{
    m_fileLabel =
        new QLabel(tr("Open a log (ADIF, ADX or a list of calls), or drop one here."), this);
    m_fileLabel->setObjectName(QStringLiteral("FileLabel"));
    m_fileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_fileLabel->setAccessibleDescription(tr("The log that is sorted"));

    m_everyQso = new QCheckBox(tr("&Every QSO, also those sent already or not queued"), this);
    m_everyQso->setObjectName(QStringLiteral("EveryQsoCheck"));
    m_everyQso->setToolTip(tr("Without this, only QSOs whose QSL_SENT is Q or R count (every QSO "
                              "of a log without QSL_SENT), and none sent direct, electronically "
                              "or to a manager (QSL_SENT_VIA D, E or M)."));
    connect(m_everyQso, &QCheckBox::toggled, this, &SortLogForm::everyQsoToggled);

    auto *treeLabel = new QLabel(tr("P&iles and cards:"), this);
    m_model = new PileModel(this);
    m_filter = new CardFilter(this);
    m_filter->setSourceModel(m_model);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("PileTree"));
    m_tree->setModel(m_filter);
    m_tree->setUniformRowHeights(true);
    m_tree->setAlternatingRowColors(true);
    m_tree->setAllColumnsShowFocus(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->header()->setStretchLastSection(true);
    // A count column holds the seven digits of a log of millions of QSOs without eliding them.
    const int countWidth =
        std::max(50, m_tree->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    const std::pair<int, int> columnWidths[] = {
        {PileModel::TitleColumn, 190},        {PileModel::ViaColumn, 150}, // "home call DL1ABC"
        {PileModel::CardsColumn, countWidth}, {PileModel::QsosColumn, countWidth},
        {PileModel::SortColumn, 110},         {PileModel::BureauColumn, 250},
    };
    for (const auto &[column, width] : columnWidths)
        m_tree->setColumnWidth(column, width);
    describe(m_tree, tr("Piles and cards"),
             tr("One row per pile in the order the bureau sorts them, the set-apart piles last. "
                "Right or plus opens a pile or a card's QSOs, left or minus closes them."));
    treeLabel->setBuddy(m_tree);

    auto *findLabel = new QLabel(tr("&Find call:"), this);
    m_findEdit = new QLineEdit(this);
    m_findEdit->setObjectName(QStringLiteral("FindEdit"));
    m_findEdit->setClearButtonEnabled(true);
    m_findEdit->setPlaceholderText(tr("Call, manager or home call"));
    describe(m_findEdit, tr("Find call"),
             tr("Shows only the cards whose call, manager or home call holds the text. Ctrl+F "
                "comes here, Escape clears it."));
    findLabel->setBuddy(m_findEdit);
    connect(m_findEdit, &QLineEdit::textChanged, this, &SortLogForm::findTextChanged);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ReadProgress"));
    m_progress->setRange(0, ProgressSteps);
    m_progress->setVisible(false);
    describe(m_progress, tr("Reading the log"), tr("How much of the log has been sorted"));

    // The totals and the status keep no accessible name: a label then reports its text.
    m_totals = new QLabel(this);
    m_totals->setObjectName(QStringLiteral("TotalsLabel"));
    m_totals->setWordWrap(true);
    m_totals->setAccessibleDescription(tr("Totals"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_status->setWordWrap(true);
    m_status->setAccessibleDescription(tr("Status"));

    // The commands, left to right, and Close apart at the right.
    struct ButtonRow
    {
        QPushButton **kept;
        const char *name;
        QString text;
        void (SortLogForm::*slot)();
        QString toolTip;
    };
    const ButtonRow commands[] = {
        {&m_openButton, "OpenButton", tr("&Open log..."), &SortLogForm::openButtonClick, QString()},
        {&m_exportButton, "ExportButton", tr("Export &CSV..."), &SortLogForm::exportButtonClick,
         QString()},
        {&m_previewButton, "PreviewButton", tr("Print pre&view..."),
         &SortLogForm::previewButtonClick, QString()},
        {&m_printButton, "PrintButton", tr("&Print..."), &SortLogForm::printButtonClick, QString()},
        {&m_pdfButton, "PdfButton", tr("Save as P&DF..."), &SortLogForm::pdfButtonClick, QString()},
        {&m_labelsButton, "LabelsButton", tr("Print &labels..."), &SortLogForm::labelsButtonClick,
         tr("One label per card with its QSOs, a heading label per pile; A4 or US Letter sheets")},
        {&m_markButton, "MarkButton", tr("&Mark as sent..."), &SortLogForm::markButtonClick,
         QString()},
    };
    auto *buttons = new QHBoxLayout;
    for (const ButtonRow &row : commands) {
        QPushButton *button = addButton(row.name, row.text, row.slot);
        if (!row.toolTip.isEmpty())
            button->setToolTip(row.toolTip);
        *row.kept = button;
        buttons->addWidget(button);
    }
    auto *closeButton = new QPushButton(tr("Close"), this);
    closeButton->setObjectName(QStringLiteral("CloseButton"));
    closeButton->setAutoDefault(false);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    buttons->addStretch();
    buttons->addWidget(closeButton);

    const auto addShortcut = [this](const QKeySequence &keys, auto slot) {
        auto *action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    addShortcut(QKeySequence::Open, &SortLogForm::openButtonClick);
    addShortcut(QKeySequence::Print, &SortLogForm::printButtonClick);
    addShortcut(QKeySequence::Find, &SortLogForm::findShortcut);
    addShortcut(QKeySequence(Qt::Key_Escape), &SortLogForm::escapePressed);
    addShortcut(QKeySequence(Qt::Key_F1),
                [this] { emit helpRequested(QStringLiteral("sortlog")); });

    auto *client = new QWidget(this);
    setCentralWidget(client);
    auto *layout = new QVBoxLayout(client);
    layout->addWidget(m_fileLabel);
    layout->addWidget(m_everyQso);
    auto *treeRow = new QHBoxLayout;
    treeRow->addWidget(treeLabel);
    treeRow->addStretch();
    treeRow->addWidget(findLabel);
    treeRow->addWidget(m_findEdit);
    layout->addLayout(treeRow);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_progress);
    layout->addWidget(m_totals);
    layout->addWidget(m_status);
    layout->addLayout(buttons);

    setTabChain({m_tree, m_findEdit, m_everyQso, m_openButton});
}

QString SortLogForm::logFileOf(const QMimeData *mime)
{
    if (mime == nullptr || !mime->hasUrls())
        return {};
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            return url.toLocalFile();
    }
    return {};
}

void SortLogForm::openLog(const QString &path)
{
    stopReading();
    stopMarking();
    m_model->setLog(nullptr);
    m_logPath = path;
    m_sorted = SortedLog();
    setWindowTitle(windowCaption(tr("Sort log")) + QStringLiteral(" - ") + logName());
    m_fileLabel->setText(tr("Log: %1").arg(QDir::toNativeSeparators(path)));
    m_totals->clear();
    setStatus(tr("Reading %1 ...").arg(logName()));

    m_job = std::make_unique<SortJob>(m_state.countries, m_state.bureaus);
    m_job->addLog(toLocalPath(path));
    m_progress->setValue(0);
    m_progress->setVisible(true);
    enableCommands();
    m_stepTimer.start();
}

bool SortLogForm::reading() const
{
    return m_stepTimer.isActive();
}

void SortLogForm::readStep()
{
    if (m_job->step(StepBudget)) {
        m_progress->setValue(static_cast<int>(m_job->progress() * ProgressSteps));
        return;
    }
    m_stepTimer.stop();
    m_progress->setVisible(false);
    if (m_job->failed()) {
        setStatus(sentence(m_job->error()));
        m_job.reset();
        enableCommands();
        emit logSorted();
        return;
    }
    QStringList notes;
    for (const SortJob::LogReport &report : m_job->reports()) {
        if (!report.problem.empty())
            notes << tr("The log breaks off (%1): what follows is not read.")
                         .arg(fromUtf8(report.problem));
        if (report.damaged > 0)
            notes << tr("%1 could not be read and %2 skipped.")
                         .arg(QString::fromStdString(counted(report.damaged, "damaged record")),
                              report.damaged == 1 ? tr("was") : tr("were"));
    }
    m_logNotes = notes.join(' ');
    showSorted();
    m_tree->setFocus(Qt::OtherFocusReason);
    emit logSorted();
}

void SortLogForm::showSorted()
{
    m_model->setLog(nullptr);
    m_sorted = m_job->result(m_everyQso->isChecked() ? QsoSelection::All : QsoSelection::Waiting);
    m_model->setLog(&m_sorted);
    m_totals->setText(fromUtf8(totalsText(m_sorted)));
    QStringList status{m_logNotes};
    // A log whose QSOs are all sent or not queued would leave the window empty without a word.
    if (!m_everyQso->isChecked() && m_sorted.entries > 0 && m_sorted.counted == 0)
        status << tr("No QSO waits for the bureau (QSL_SENT Q or R): tick \"Every QSO\" to sort "
                     "them all.");
    status << fromUtf8(unreadNotesText(m_sorted));
    status.removeAll(QString());
    m_sortStatus = status.join(' ');
    setStatus(m_sortStatus);
    findTextChanged();
    if (m_filter->rowCount() > 0 && !m_tree->currentIndex().isValid())
        m_tree->setCurrentIndex(m_filter->index(0, 0));
    enableCommands();
}

void SortLogForm::stopReading()
{
    m_stepTimer.stop();
    m_progress->setVisible(false);
}

void SortLogForm::stopMarking()
{
    // A job still reading takes its work file with it and leaves the target as it was; one that
    // is bringing the new file to disk finishes that first.
    m_markTimer.stop();
    m_markJob.reset();
    m_progress->setVisible(false);
}

void SortLogForm::enableCommands()
{
    const bool sorted = m_job && m_job->done() && !reading() && !marking();
    for (QPushButton *button :
         {m_exportButton, m_previewButton, m_printButton, m_pdfButton, m_labelsButton})
        button->setEnabled(sorted);
    const bool holdsQsos = logHoldsQsos();
    m_markButton->setEnabled(sorted && holdsQsos && m_sorted.cardCount(false) > 0);
    // A disabled button still shows its hint: it says why.
    m_markButton->setToolTip(
        holdsQsos ? tr("Writes a new ADIF file in which the QSOs of the bureau piles that still "
                       "wait for the bureau (QSL_SENT Q, R or none, not sent direct, "
                       "electronically or via a manager) have QSL_SENT Y, QSL_SENT_VIA B and "
                       "today's QSLSDATE. The log that was read stays as it is.")
                  : tr("A list of calls holds no QSOs to mark: open the log as ADIF or ADX to "
                       "mark its QSOs as sent."));
}

bool SortLogForm::logHoldsQsos() const
{
    if (!m_job)
        return true;
    const auto &reports = m_job->reports();
    return std::none_of(reports.begin(), reports.end(), [](const SortJob::LogReport &report) {
        return report.format == LogFormat::CallList;
    });
}

void SortLogForm::findTextChanged()
{
    m_filter->setFindText(m_findEdit->text());
    if (m_filter->findText().isEmpty()) {
        setStatus(m_sortStatus);
        // The card found stays in sight among all the others.
        const QModelIndex current = m_tree->currentIndex();
        for (QModelIndex pile = current.parent(); pile.isValid(); pile = pile.parent())
            m_tree->expand(pile);
        if (current.isValid())
            m_tree->scrollTo(current);
        return;
    }
    // Every pile that holds a match is opened on its cards; the cards stay closed.
    for (int row = 0; row < m_filter->rowCount(); ++row)
        m_tree->expand(m_filter->index(row, 0));
    const QModelIndex first = m_filter->index(0, 0, m_filter->index(0, 0));
    if (first.isValid())
        m_tree->setCurrentIndex(first);
    const int matches = m_filter->matchCount();
    const QString quoted = fromUtf8(logExcerpt(m_filter->findText().toStdString()));
    setStatus(matches == 0 ? tr("No card matches \"%1\".").arg(quoted)
                           : tr("%1 \"%2\".")
                                 .arg(QString::fromStdString(
                                          counted(static_cast<std::size_t>(matches), "card")) +
                                          (matches == 1 ? tr(" matches") : tr(" match")),
                                      quoted));
}

void SortLogForm::findShortcut()
{
    m_findEdit->setFocus(Qt::ShortcutFocusReason);
    m_findEdit->selectAll();
}

void SortLogForm::escapePressed()
{
    // Escape clears the find first, and closes the window once nothing is left to clear.
    if (m_findEdit->text().isEmpty()) {
        close();
        return;
    }
    m_findEdit->clear();
    m_tree->setFocus(Qt::ShortcutFocusReason);
}

void SortLogForm::setStatus(const QString &text)
{
    m_status->setText(text);
}

QString SortLogForm::logName() const
{
    return QFileInfo(m_logPath).fileName();
}

QString SortLogForm::dialogFolder(const QString &logPath, const QString &dataFolder,
                                  const QString &home)
{
    if (logPath.isEmpty())
        return home;
    const QFileInfo folder(QFileInfo(logPath).absolutePath());
    const QFileInfo data(dataFolder.isEmpty() ? QStringLiteral(".") : dataFolder);
    if (!folder.isDir() || folder.canonicalFilePath() == data.canonicalFilePath())
        return home;
    return folder.absoluteFilePath();
}

QString SortLogForm::dialogFolder() const
{
    return dialogFolder(m_logPath, fromLocalPath(m_state.folder.directory()), QDir::homePath());
}

QString SortLogForm::askSaveFile(const QString &title, const QString &suffix, const QString &filter)
{
    const QString name =
        m_logPath.isEmpty() ? QStringLiteral("log") : QFileInfo(m_logPath).completeBaseName();
    return QFileDialog::getSaveFileName(this, title, QDir(dialogFolder()).filePath(name + suffix),
                                        filter + tr(";;All files (*)"));
}

void SortLogForm::everyQsoToggled()
{
    if (m_job && m_job->done())
        showSorted();
}

void SortLogForm::openButtonClick()
{
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open a log"), dialogFolder(),
                                     tr("Logs (*.adi *.adif *.adx *.txt *.csv);;All files (*)"));
    if (!path.isEmpty())
        openLog(path);
}

bool SortLogForm::exportCsv(const QString &path)
{
    std::ostringstream csv;
    writeCardsCsv(csv, m_sorted);
    std::string error;
    if (!saveTextFile(toLocalPath(path), csv.str(), error)) {
        setStatus(sentence(error));
        return false;
    }
    setStatus(tr("Saved %1 as CSV in %2.")
                  .arg(QString::fromStdString(
                           counted(m_sorted.cardCount(false) + m_sorted.cardCount(true), "card")),
                       QDir::toNativeSeparators(path)));
    return true;
}

void SortLogForm::exportButtonClick()
{
    if (!m_exportButton->isEnabled())
        return;
    const QString path = askSaveFile(tr("Export the cards as CSV"), QStringLiteral("-piles.csv"),
                                     tr("CSV files (*.csv)"));
    if (!path.isEmpty())
        exportCsv(path);
}

bool SortLogForm::checkLogReadWhole()
{
    // The new file takes the place of the log in the logger: a record left out would be a QSO
    // lost, and a damaged one cannot be carried over as it stood.
    for (const SortJob::LogReport &report : m_job->reports()) {
        QString why;
        if (!report.problem.empty())
            why = tr("%1 breaks off (%2)").arg(logName(), fromUtf8(report.problem));
        else if (report.damaged > 0)
            why = tr("%1 of %2 could not be read")
                      .arg(QString::fromStdString(counted(report.damaged, "damaged record")),
                           logName());
        if (!why.isEmpty()) {
            setStatus(tr("Mark as sent writes the whole log back, but %1. Mend the log or "
                         "export it again from the logger, then open it anew.")
                          .arg(why));
            return false;
        }
    }
    return true;
}

bool SortLogForm::markAsSent(const QString &path, QDate today)
{
    if (!m_job || !m_job->done() || !checkLogReadWhole())
        return false;
    if (!logHoldsQsos()) {
        setStatus(m_markButton->toolTip());
        return false;
    }
    if (marking())
        return false;
    m_markJob = std::make_unique<MarkJob>(toLocalPath(path), m_job->reports().front(),
                                          entriesInBureauPiles(m_sorted, m_sorted.entries),
                                          today.toString(QStringLiteral("yyyyMMdd")).toStdString());
    m_markPath = path;
    // What is refused at once (the log changed on disk, the target cannot be made) is refused
    // before this returns.
    if (!m_markJob->step(StepBudget) && m_markJob->failed()) {
        setStatus(sentence(m_markJob->error()));
        m_markJob.reset();
        return false;
    }
    setStatus(tr("Writing %1 ...").arg(QDir::toNativeSeparators(path)));
    m_progress->setValue(static_cast<int>(m_markJob->progress() * ProgressSteps));
    m_progress->setVisible(true);
    enableCommands();
    m_markTimer.start();
    return true;
}

void SortLogForm::markStep()
{
    if (m_markJob->step(StepBudget)) {
        m_progress->setValue(static_cast<int>(m_markJob->progress() * ProgressSteps));
        return;
    }
    m_markTimer.stop();
    m_progress->setVisible(false);
    const bool written = m_markJob->done();
    if (written)
        setStatus(tr("Wrote %1: %2. %3 is unchanged.")
                      .arg(QDir::toNativeSeparators(m_markPath),
                           fromUtf8(markReportText(m_markJob->report())), logName()));
    else
        setStatus(sentence(m_markJob->error()));
    m_markJob.reset();
    enableCommands();
    emit logMarked(written);
}

QString SortLogForm::markedLogFile(const QString &typed, const QString &logPath)
{
    if (typed.isEmpty() || !QFileInfo(typed).suffix().isEmpty())
        return typed;
    const bool adif =
        QFileInfo(logPath).suffix().compare(QLatin1String("adif"), Qt::CaseInsensitive) == 0;
    return typed + (adif ? QStringLiteral(".adif") : QStringLiteral(".adi"));
}

void SortLogForm::markButtonClick()
{
    if (!m_markButton->isEnabled() || !checkLogReadWhole())
        return;
    const QFileInfo log(m_logPath);
    const QString path = markedLogFile(
        m_markQuestions.targetFile(
            QDir(dialogFolder())
                .filePath(log.completeBaseName() +
                          (log.suffix().compare(QLatin1String("adif"), Qt::CaseInsensitive) == 0
                               ? QStringLiteral("-sent.adif")
                               : QStringLiteral("-sent.adi")))),
        m_logPath);
    if (path.isEmpty())
        return;
    // Refused before anyone is asked whether to replace it.
    if (isSameFile(toLocalPath(path), toLocalPath(m_logPath))) {
        setStatus(tr("Vorn never writes over the log it read (%1): choose another file.")
                      .arg(QDir::toNativeSeparators(m_logPath)));
        return;
    }
    if (QFileInfo::exists(path) && !m_markQuestions.replace(path))
        return;
    markAsSent(path, QDateTime::currentDateTimeUtc().date());
}

PrintJob SortLogForm::sheetJob() const
{
    // A4, or Letter where the desktop measures in inches.
    const bool letter = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    return {tr("QSL sorting sheet"),
            {},
            [this](QPagedPaintDevice &device) {
                return SortSheet(m_sorted, logName(), QDate::currentDate()).paint(device);
            },
            SortSheet::pageLayout(letter)};
}

bool SortLogForm::saveSheetAsPdf(const QString &path)
{
    QString error;
    if (!PrintCommands::saveAsPdf(path, sheetJob(), error)) {
        setStatus(tr("The sorting sheet was not saved: %1.").arg(error));
        return false;
    }
    setStatus(tr("Saved the sorting sheet in %1.").arg(QDir::toNativeSeparators(path)));
    return true;
}

void SortLogForm::pdfButtonClick()
{
    if (!m_pdfButton->isEnabled())
        return;
    const QString path = askSaveFile(tr("Save the sorting sheet as PDF"),
                                     QStringLiteral("-sheet.pdf"), tr("PDF files (*.pdf)"));
    if (!path.isEmpty())
        saveSheetAsPdf(path);
}

LabelForm *SortLogForm::labelForm()
{
    if (m_labelForm == nullptr)
        m_labelForm = new LabelForm(
            [this] {
                return askSaveFile(tr("Save the labels as PDF"), QStringLiteral("-labels.pdf"),
                                   tr("PDF files (*.pdf)"));
            },
            m_state.folder.path("labels.set"), m_state.settings.ownCall, this);
    m_labelForm->setLog(&m_sorted);
    return m_labelForm;
}

void SortLogForm::labelsButtonClick()
{
    if (!m_labelsButton->isEnabled())
        return;
    labelForm()->exec();
}

void SortLogForm::previewButtonClick()
{
    if (!m_previewButton->isEnabled())
        return;
    PrintCommands::preview(this, windowCaption(tr("Sorting sheet")), sheetJob());
}

void SortLogForm::printButtonClick()
{
    if (!m_printButton->isEnabled())
        return;
    if (!PrintCommands::print(this, windowCaption(tr("Print the sorting sheet")), sheetJob()))
        setStatus(tr("The sorting sheet could not be printed."));
}

void SortLogForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    centreOnScreen(this);
    stepAsideFromOtherWindows();
    m_openButton->setFocus(Qt::OtherFocusReason);
}

void SortLogForm::stepAsideFromOtherWindows()
{
    if (parentWidget() == nullptr)
        return;
    const auto others = parentWidget()->findChildren<SortLogForm *>(Qt::FindDirectChildrenOnly);
    const auto standsHere = [this, &others] {
        return std::any_of(others.begin(), others.end(), [this](const SortLogForm *other) {
            return other != this && other->isVisible() && other->pos() == pos();
        });
    };
    // Down and right until the place is free, as many steps as there are windows at most.
    for (qsizetype step = 0; step < others.size() && standsHere(); ++step)
        move(pos() + QPoint(WindowStep, WindowStep));
}

void SortLogForm::closeEvent(QCloseEvent *event)
{
    // A log half read is of no use to anyone: reading stops with the window.
    if (reading()) {
        stopReading();
        m_job.reset();
        setStatus(tr("Reading stopped."));
        enableCommands();
    }
    QMainWindow::closeEvent(event);
}

void SortLogForm::acceptLogDrag(QDragEnterEvent *event)
{
    if (!logFileOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

QString SortLogForm::takeLogDrop(QDropEvent *event)
{
    const QString path = logFileOf(event->mimeData());
    if (!path.isEmpty())
        event->acceptProposedAction();
    return path;
}

void SortLogForm::dragEnterEvent(QDragEnterEvent *event)
{
    acceptLogDrag(event);
}

void SortLogForm::dropEvent(QDropEvent *event)
{
    const QString path = takeLogDrop(event);
    if (!path.isEmpty())
        openLog(path);
}
