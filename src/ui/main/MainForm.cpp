#include "ui/main/MainForm.h"

#include "core/data/DataFiles.h"
#include "core/data/ExactCallList.h"
#include "core/lookup/CallLookup.h"
#include "core/lookup/PortableLookup.h"
#include "core/net/QslInfoRequest.h"
#include "core/settings/ShippedFiles.h"
#include "core/shell/AppState.h"
#include "core/shell/MessageBoxes.h"
#include "core/shell/UpdateOperations.h"
#include "core/speech/VoiceOutput.h"
#include "platform/JpegDecoder.h"
#include "ui/help/AboutBox.h"
#include "ui/help/HelpViewer.h"
#include "ui/qslinfo/QslInfoQuery.h"
#include "ui/settings/ApplyBackground.h"
#include "ui/settings/BackgroundForm.h"
#include "ui/settings/SpeakForm.h"
#include "ui/sortlog/SortLogForm.h"
#include "ui/widgets/CallEdit.h"
#include "ui/widgets/CoreText.h"
#include "ui/widgets/DialogFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <algorithm>
#include <utility>

Q_LOGGING_CATEGORY(lcSettings, "vorn.settings")

namespace {

const QColor LabelBlue(0, 0, 255);
// The answer lines start at 285 and are at least 280 pixels wide; a longer text widens its line.
constexpr int AnswerLeft = 285;
constexpr int AnswerWidth = 280;

// Verdana 10 pt (13 px) bold: the captions, the answers and the call field.
QFont labelFont()
{
    QFont font = dialogFont();
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

} // namespace

MainForm::MainForm(AppState &state, MainFormSeams seams, QWidget *parent)
    : QMainWindow(parent), m_state(state),
      m_settingsStore(state.folder.path(DataFiles::SettingsFile)), m_boxes(seams.messageBoxes),
      m_speechEngine(seams.speechEngine), m_sleep(std::move(seams.sleep)), m_updates(seams.updates),
      m_qslInfo(seams.qslInfo)
{
    setObjectName(QStringLiteral("MainForm"));
    // A fixed frame: minimise and close, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(windowCaption());
    setWindowIcon(programIcon());
    setFont(dialogFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);

    createControls();
    createMenu();
    // A log file dropped on the window opens the "Sort log" window with it.
    setAcceptDrops(true);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    m_state.settings = m_settingsStore.load();

    // The other windows come after the main window, which they may read from.
    m_aboutBox = new AboutBox(this);
    m_backgroundForm = new BackgroundForm(this);
    m_speakForm = new SpeakForm(this);
}

MainForm::~MainForm() = default;

QLabel *MainForm::addLabel(const char *name, const QString &text, const QRect &geometry,
                           Qt::Alignment alignment)
{
    auto *label = new QLabel(text, centralWidget());
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    label->setFont(labelFont());
    // The colour is the client area's, which the background sets.
    return label;
}

void MainForm::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);
    QPalette clientPalette = client->palette();
    clientPalette.setColor(QPalette::WindowText, textColour(Background::WorldMap));
    client->setPalette(clientPalette);

    // Made from the bottom up, so that each control is drawn over the ones before it.
    m_map = new QLabel(client);
    m_map->setObjectName(QStringLiteral("map"));
    const QImage map = loadJpeg(QStringLiteral(":/vorn/map.jpg"));
    if (!map.isNull())
        m_map->setPixmap(QPixmap::fromImage(map));
    m_map->setGeometry(QRect(QPoint(0, 0), map.size()));
    describe(m_map, tr("World map"), tr("The background picture of the main window"));

    // The captions, the answers right of them, and below the answers, only when it adds to them,
    // where the cards of a portable or guest call go and where he operates (two lines at most,
    // left of nothing but the logo). A caption's accessible name is its text; the answers keep
    // none, so that a label reports its text and a screen reader reads the answer itself.
    enum class Kind { Caption, Answer, Note };
    struct LabelRow
    {
        Kind kind;
        const char *name;
        QRect geometry;
        QLabel **kept; // where the window keeps it, if it does
        QString text;
        QString description;
    };
    QLabel *callLabel = nullptr;
    const LabelRow rows[] = {
        {Kind::Caption, "CallLabel", QRect(117, 85, 160, 24), &callLabel, tr("Call / Prefix :"),
         tr("Caption of the call field")},
        {Kind::Caption, "SortLabel", QRect(117, 115, 160, 24), nullptr, tr("Sort QSL under :"),
         tr("Caption of the sort prefix")},
        {Kind::Caption, "BureauLabel", QRect(117, 145, 160, 24), nullptr, tr("QSL bureau :"),
         tr("Caption of the QSL bureau")},
        {Kind::Caption, "DxccLabel", QRect(117, 175, 160, 24), nullptr, tr("DXCC / WAE :"),
         tr("Caption of the DXCC / WAE entity")},
        {Kind::Answer, "PrefixLabel", QRect(AnswerLeft, 115, AnswerWidth, 24), &m_prefixLabel,
         QString(), tr("Sort QSL under")},
        {Kind::Answer, "ResultLabel", QRect(AnswerLeft, 145, AnswerWidth, 24), &m_resultLabel,
         QString(), tr("QSL bureau")},
        {Kind::Answer, "InfoLabel", QRect(AnswerLeft, 175, AnswerWidth, 24), &m_infoLabel,
         QString(), tr("DXCC / WAE")},
        {Kind::Note, "PortableLabel", QRect(117, 205, 510, 48), &m_portableLabel, QString(),
         tr("Home call and location")},
    };
    QFont noteFont = labelFont();
    noteFont.setBold(false);
    for (const LabelRow &row : rows) {
        const bool caption = row.kind == Kind::Caption;
        QLabel *label = addLabel(row.name, row.text, row.geometry,
                                 (caption ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        if (caption)
            label->setAccessibleName(row.text);
        label->setAccessibleDescription(row.description);
        if (row.kind == Kind::Note) {
            label->setFont(noteFont);
            label->setWordWrap(true);
        }
        if (row.kept != nullptr)
            *row.kept = label;
    }
    // The answers can be selected with the mouse and copied, while the keyboard stays with
    // the call field.
    auto *copyAnswer = new QAction(tr("Copy &answer"), this);
    copyAnswer->setObjectName(QStringLiteral("CopyAnswerAction"));
    connect(copyAnswer, &QAction::triggered, this, &MainForm::copyAnswer);
    for (QLabel *answer : answerLabels()) {
        answer->setTextInteractionFlags(Qt::TextSelectableByMouse);
        answer->setFocusPolicy(Qt::NoFocus);
        answer->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(answer, &QWidget::customContextMenuRequested, this,
                [this, answer, copyAnswer](const QPoint &position) {
                    showAnswerMenu(answer, copyAnswer, position);
                });
    }

    m_logo = new QLabel(client);
    m_logo->setObjectName(QStringLiteral("Logo"));
    const QPixmap logo(QStringLiteral(":/vorn/logo.png"));
    m_logo->setPixmap(logo);
    // 3 pixels from the left and the bottom edge of the client area.
    m_logo->setGeometry(3, ClientHeight - logo.height() - 3, logo.width(), logo.height());
    const QString logoHint = tr("Vorn finds the IARU QSL bureau for a call. F1 opens the help.");
    m_logo->setToolTip(logoHint);
    describe(m_logo, tr("Logo"), logoHint);

    m_dummyLabel = new QLabel(client);
    m_dummyLabel->setObjectName(QStringLiteral("DummyLabel"));
    m_dummyLabel->setGeometry(208, 16, 37, 13);
    describe(m_dummyLabel, tr("Repaint marker"), tr("Holds no text"));

    m_callEdit = new CallEdit(client);
    m_callEdit->setObjectName(QStringLiteral("CallEdit"));
    m_callEdit->setGeometry(285, 83, 160, 24);
    m_callEdit->setFont(labelFont());
    QPalette editPalette = m_callEdit->palette();
    editPalette.setColor(QPalette::Text, LabelBlue);
    editPalette.setColor(QPalette::Base, Qt::white);
    m_callEdit->setPalette(editPalette);
    const QString callHint = tr("Enter call (or prefix) and press <return> to start search");
    m_callEdit->setToolTip(callHint);
    describe(m_callEdit, tr("Call / Prefix"), callHint);
    callLabel->setBuddy(m_callEdit);
    // The only control that takes the focus, and so the first in tab order.
    setFocusProxy(m_callEdit);
    connect(m_callEdit, &CallEdit::keyWentDown, this, &MainForm::callEditKeyDown);
    // A call pasted or dropped with the mouse changes the call as well: the answer shown must
    // always be the one of the call in the field.
    connect(m_callEdit, &QLineEdit::textEdited, this, &MainForm::callEditKeyDown);
    connect(m_callEdit, &CallEdit::lookUpRequested, this, &MainForm::callEditLookUp);
}

std::array<QLabel *, 3> MainForm::answerLabels() const
{
    return {m_prefixLabel, m_resultLabel, m_infoLabel};
}

void MainForm::fitAnswerLabels()
{
    // No answer is cut: a line is as wide as its text, and on data with very long names the
    // window grows to show it whole.
    constexpr int Margin = 8;
    QWidget *client = centralWidget();
    int clientWidth = client->width();
    for (QLabel *answer : answerLabels()) {
        answer->resize(std::max(AnswerWidth, answer->sizeHint().width()), answer->height());
        clientWidth = std::max(clientWidth, answer->geometry().right() + 1 + Margin);
    }
    if (clientWidth > client->width())
        client->setFixedWidth(clientWidth);
}

void MainForm::showAnswerMenu(QLabel *answer, QAction *copyAnswer, const QPoint &position)
{
    QMenu menu(this);
    QAction *copy = menu.addAction(tr("&Copy"), answer, [answer] {
        QGuiApplication::clipboard()->setText(answer->selectedText());
    });
    copy->setEnabled(answer->hasSelectedText());
    copyAnswer->setEnabled(m_resultsShown);
    menu.addAction(copyAnswer);
    menu.exec(answer->mapToGlobal(position));
}

void MainForm::copyAnswer()
{
    // One line, as vorn-lookup prints it: the call and the three answers, separated by tabs,
    // and with a fourth line on screen the two columns of vorn-lookup --portable.
    if (!m_resultsShown)
        return;
    QStringList fields{m_callEdit->text()};
    for (const QLabel *answer : answerLabels())
        fields << answer->text();
    if (!m_portableLabel->text().isEmpty()) {
        for (const std::string &column : m_portableColumns)
            fields << fromSingleByte(column);
    }
    QGuiApplication::clipboard()->setText(fields.join(QLatin1Char('\t')));
}

void MainForm::createMenu()
{
    QMenuBar *bar = menuBar();
    const auto addCommand = [this](QWidget *menu, const char *name, const QString &text,
                                   void (MainForm::*slot)()) {
        auto *action = new QAction(text, menu);
        action->setObjectName(QLatin1String(name));
        menu->addAction(action);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    // Alt with the underlined letter opens each entry; F1 and Ctrl+Q work from anywhere in the
    // window, as in other desktop programs.
    addCommand(bar, "AboutMenu", tr("&About"), &MainForm::aboutMenuClick);
    QMenu *settingsMenu = bar->addMenu(tr("&Settings"));
    settingsMenu->setObjectName(QStringLiteral("SettingsMenu"));
    addCommand(settingsMenu, "BackgroundMenu", tr("&Background"), &MainForm::backgroundMenuClick);
    addCommand(settingsMenu, "SpeakMenu", tr("&Voice output"), &MainForm::speakMenuClick);
    addCommand(settingsMenu, "UpdateMenu", tr("&Update"), &MainForm::updateMenuClick);
    addCommand(settingsMenu, "DatabaseMenu",
               QStringLiteral("&") + QString::fromStdString(builtInQslInfoServer().displayName()) +
                   QStringLiteral(" database"),
               &MainForm::databaseMenuClick);
    addCommand(bar, "SortLogMenu", tr("S&ort log"), &MainForm::sortLogMenuClick);
    addCommand(bar, "HelpMenu", tr("&Help"), &MainForm::helpMenuClick)
        ->setShortcut(QKeySequence(Qt::Key_F1));
    addCommand(bar, "ExitMenu", tr("E&xit"), &MainForm::exitMenuClick)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    // The window's colour is not the menu's.
    QPalette menuPalette = bar->palette();
    menuPalette.setColor(QPalette::Window, QApplication::palette(bar).color(QPalette::Window));
    bar->setPalette(menuPalette);
}

bool MainForm::event(QEvent *event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate)
        formActivate();
    return handled;
}

void MainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    centreOnScreen(this);
    // Without a window manager, or with one that keeps new windows from taking the focus, the
    // window may never become active by itself; the data must load all the same.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_firstActivation && !m_startupScheduled)
                formActivate();
        },
        Qt::QueuedConnection);
}

bool MainForm::saveSettings()
{
    const std::error_code error = m_settingsStore.save(m_state.settings);
    if (!error)
        return true;
    const std::string where = m_settingsStore.file().string() + ": " + error.message();
    qCWarning(lcSettings, "cannot write %s", where.c_str());
    // Once: the program ends all the same, and the previous file stays as it was.
    if (!m_settingsWriteReported) {
        m_settingsWriteReported = true;
        m_boxes.inform(MessageBoxes::Kind::Warning,
                       withHeading(std::string("cannot write ") + DataFiles::SettingsFile + ": " +
                                   error.message() + "\r\nThe settings of this run are lost."),
                       where);
    }
    return false;
}

void MainForm::closeEvent(QCloseEvent *event)
{
    saveSettings();
    m_boxes.dismissFromNowOn();
    event->accept();
}

void MainForm::formActivate()
{
    setWindowTitle(windowCaption());
    m_map->setGeometry(QRect(QPoint(0, 0), m_map->pixmap().size()));
    applyCurrentBackground();
    if (m_firstActivation) {
        // Run from the event loop, not inside the activation: the sequence opens modal boxes,
        // and each of them re-activates this window when it closes.
        if (!m_startupScheduled) {
            m_startupScheduled = true;
            QMetaObject::invokeMethod(this, &MainForm::runStartupSequence, Qt::QueuedConnection);
        }
        return;
    }
    m_callEdit->setFocus(Qt::ActiveWindowFocusReason);
}

void MainForm::runStartupSequence()
{
    if (const std::error_code &error = m_settingsStore.readError()) {
        m_boxes.inform(MessageBoxes::Kind::Warning,
                       withHeading(std::string("cannot read ") + DataFiles::SettingsFile + ": " +
                                   error.message() +
                                   "\r\nVorn starts with the default settings and leaves the "
                                   "file as it is."),
                       m_settingsStore.file().string() + ": " + error.message());
    }
    StartupSequence sequence(m_state, m_boxes, m_updates, *this);
    m_startupFailed = !sequence.run();
    m_firstActivation = false;
    if (m_startupFailed)
        return;
    m_callEdit->setFocus(Qt::ActiveWindowFocusReason);
    openLogs(std::exchange(m_logsWaitingForData, {}));
}

void MainForm::applyQslInfoMode()
{
    m_qslInfo.applyQslInfoMode();
}

void MainForm::closeMainWindow()
{
    close();
}

void MainForm::callEditKeyDown()
{
    if (!m_resultsShown)
        return;
    m_prefixLabel->clear();
    m_resultLabel->clear();
    m_infoLabel->clear();
    m_portableLabel->clear();
    m_resultsShown = false;
}

void MainForm::callEditLookUp()
{
    const std::optional<LookupResult> result =
        lookUpCall(toSingleByte(m_callEdit->text()), m_state.countries, m_state.bureaus);
    if (!result)
        return;
    m_prefixLabel->setText(fromSingleByte(result->sortText));
    m_resultLabel->setText(fromSingleByte(result->bureauText));
    m_infoLabel->setText(fromSingleByte(result->entityText));
    const PortableTexts portable = portableTexts(toSingleByte(m_callEdit->text()), *result,
                                                 m_state.countries, m_state.bureaus);
    m_portableColumns = {portable.homeRoute, portable.location};
    m_portableTexts = portable;
    m_portableLabel->setText(fromSingleByte(portable.line("\n")));
    fitAnswerLabels();
    m_resultsShown = true;
    // The next character typed replaces the call.
    m_callEdit->selectAll();
    letWindowRepaint();
    if (m_state.settings.qslInfoMode == QslInfoMode::Auto)
        queryButtonClick();
    if (m_state.settings.speaksAnything())
        speakResult();
}

void MainForm::queryButtonClick()
{
    m_qslInfo.queryCall(toSingleByte(m_callEdit->text()));
}

void MainForm::letWindowRepaint()
{
    // Speech blocks the window, so the answers are painted first. Keys typed meanwhile wait
    // in the queue: handling them here would start a look-up inside this one.
    m_dummyLabel->setText(QStringLiteral(" "));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_dummyLabel->setText(QString());
}

void MainForm::speakResult()
{
    // The answers are read back from the labels, as they are shown. A failure has switched
    // voice output off already; the engine's reason goes into the box's details.
    std::string reason;
    // The line below the answers, when it shows, so that a card goes to the pile the home call
    // gives, as the Sort log puts it.
    const BelowAnswers below{m_portableTexts.homeSort, m_portableTexts.homeBureau,
                             m_portableTexts.location};
    if (::speakResult(toSingleByte(m_prefixLabel->text()), toSingleByte(m_resultLabel->text()),
                      toSingleByte(m_infoLabel->text()), m_state.settings, m_speechEngine, m_sleep,
                      &reason, m_portableLabel->text().isEmpty() ? BelowAnswers{} : below))
        return;
    m_boxes.inform(MessageBoxes::Kind::Warning, SpeakNotSupportedText, reason);
}

void MainForm::aboutMenuClick()
{
    m_aboutBox->setDataInUse(QString::fromStdString(m_state.installedDataInWords()));
    m_aboutBox->setExactCallList(QString::fromStdString(
        describeExactCallList(m_state.exactCallsLoad(), m_state.countries.exactCalls().count())));
    m_aboutBox->exec();
}

void MainForm::backgroundMenuClick()
{
    m_backgroundForm->setBackground(m_state.settings.background);
    if (m_backgroundForm->exec() == QDialog::Accepted)
        m_state.settings.background = m_backgroundForm->background();
    applyCurrentBackground();
}

void MainForm::speakMenuClick()
{
    m_speakForm->setChoices(m_state.settings.speakSort, m_state.settings.speakBureau,
                            m_state.settings.speakDxcc);
    if (m_speakForm->exec() != QDialog::Accepted)
        return;
    m_state.settings.speakSort = m_speakForm->speakSort();
    m_state.settings.speakBureau = m_speakForm->speakBureau();
    m_state.settings.speakDxcc = m_speakForm->speakDxcc();
}

void MainForm::updateMenuClick()
{
    m_updates.updateMenuClick();
}

void MainForm::databaseMenuClick()
{
    m_qslInfo.databaseMenuClick();
}

void MainForm::helpMenuClick()
{
    showHelp(QString());
}

void MainForm::showHelp(const QString &anchor)
{
    if (m_helpViewer == nullptr)
        m_helpViewer = new HelpViewer(this);
    m_helpViewer->showSection(
        fromLocalPath(helpFilePath(toLocalPath(QCoreApplication::applicationDirPath()),
                                   m_state.folder.directory())),
        anchor);
}

void MainForm::bringToFront(QWidget *window)
{
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

void MainForm::comeToFront()
{
    bringToFront(this);
}

SortLogForm *MainForm::addSortLogForm()
{
    auto *form = new SortLogForm(m_state, this);
    connect(form, &SortLogForm::helpRequested, this, &MainForm::showHelp);
    m_sortLogForms.append(form);
    return form;
}

SortLogForm *MainForm::idleSortLogForm()
{
    // A closed window, or one that holds no log, takes the next log; an open log stays open.
    for (SortLogForm *form : std::as_const(m_sortLogForms)) {
        if (!form->isVisible() || (form->logPath().isEmpty() && !form->reading()))
            return form;
    }
    return addSortLogForm();
}

void MainForm::sortLogMenuClick()
{
    bringToFront(m_sortLogForms.isEmpty() ? addSortLogForm() : m_sortLogForms.first());
}

void MainForm::openLogs(const QStringList &paths)
{
    if (m_startupFailed)
        return;
    if (m_firstActivation) {
        m_logsWaitingForData += paths;
        return;
    }
    for (const QString &path : paths) {
        SortLogForm *form = idleSortLogForm();
        bringToFront(form);
        form->openLog(path);
    }
}

void MainForm::dragEnterEvent(QDragEnterEvent *event)
{
    SortLogForm::acceptLogDrag(event);
}

void MainForm::dropEvent(QDropEvent *event)
{
    const QString path = SortLogForm::takeLogDrop(event);
    if (!path.isEmpty())
        openLogs({path});
}

void MainForm::exitMenuClick()
{
    close();
}

void MainForm::applyCurrentBackground()
{
    applyBackground(m_state.settings.background, this, m_map, m_callEdit, m_qslInfo.queryForm(),
                    m_qslInfo.queryMemo());
}
