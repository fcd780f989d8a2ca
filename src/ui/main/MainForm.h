#pragma once

#include "core/lookup/PortableLookup.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/StartupSequence.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <string>

struct AppState;
class AboutBox;
class BackgroundForm;
class CallEdit;
class HelpViewer;
class MessageBoxGate;
class QLabel;
class QslInfoQuery;
class SortLogForm;
class SpeakForm;
class SpeechEngine;
class UpdateOperations;

// The services and windows the main window works through, handed in so that tests can answer
// and record them.
struct MainFormSeams
{
    // Shared with the other windows; dismissed from the moment this window closes.
    MessageBoxGate &messageBoxes;
    SpeechEngine &speechEngine;
    std::function<void(int)> sleep; // milliseconds, blocking the GUI thread
    UpdateOperations &updates;
    QslInfoQuery &qslInfo;
};

// The program's main window: the call field, the three answer lines and the menu. Reads
// vorn.set into the shared state when it is made, loads the data files on its first activation
// and writes vorn.set when it closes; a settings file that cannot be read or written is
// reported once.
class MainForm : public QMainWindow, private StartupWindow
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 635;
    static constexpr int ClientHeight = 272;

    MainForm(AppState &state, MainFormSeams seams, QWidget *parent = nullptr);
    ~MainForm() override;

    // Writes vorn.set now, as closing does; false when it could not be written. The first such
    // failure of a run is reported.
    bool saveSettings();

    bool resultsShown() const { return m_resultsShown; }
    bool firstActivation() const { return m_firstActivation; }
    // The data files could not be loaded and the start-up closed the window.
    bool startupFailed() const { return m_startupFailed; }

    // Opens each log in a Sort log window of its own. Logs handed in before the data files are
    // loaded wait for them: sorted on empty tables, every call would be unknown.
    void openLogs(const QStringList &paths);

public slots:
    // Queries the QSL information service about the call in the call field, as the Query button
    // of the query window asks for.
    void queryButtonClick();
    // Shows the window in front of the others, as when another start of the program asks for it.
    void comeToFront();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void createMenu();
    QLabel *addLabel(const char *name, const QString &text, const QRect &geometry,
                     Qt::Alignment alignment);

    void formActivate();
    void runStartupSequence();
    void applyQslInfoMode() override;
    void closeMainWindow() override;

    std::array<QLabel *, 3> answerLabels() const;
    void fitAnswerLabels();
    void showAnswerMenu(QLabel *answer, QAction *copyAnswer, const QPoint &position);
    void copyAnswer();

    void callEditKeyDown();
    void callEditLookUp();
    void letWindowRepaint();
    void speakResult();

    void aboutMenuClick();
    void backgroundMenuClick();
    void speakMenuClick();
    void updateMenuClick();
    void databaseMenuClick();
    void helpMenuClick();
    void showHelp(const QString &anchor);
    void sortLogMenuClick();
    SortLogForm *addSortLogForm();
    SortLogForm *idleSortLogForm();
    static void bringToFront(QWidget *window);
    void exitMenuClick();
    void applyCurrentBackground();

    AppState &m_state;
    SettingsStore m_settingsStore;
    MessageBoxGate &m_boxes;
    SpeechEngine &m_speechEngine;
    std::function<void(int)> m_sleep;
    UpdateOperations &m_updates;
    QslInfoQuery &m_qslInfo;

    bool m_settingsWriteReported = false;
    bool m_resultsShown = false;
    bool m_firstActivation = true;
    bool m_startupScheduled = false;
    bool m_startupFailed = false;
    bool m_shown = false;

    QLabel *m_map = nullptr;
    QLabel *m_prefixLabel = nullptr;
    QLabel *m_resultLabel = nullptr;
    QLabel *m_infoLabel = nullptr;
    QLabel *m_portableLabel = nullptr;
    // What the fourth line holds, as vorn-lookup --portable prints it: home route, location.
    std::array<std::string, 2> m_portableColumns;
    PortableTexts m_portableTexts; // the line below the answers, which is spoken after them
    QLabel *m_logo = nullptr;
    QLabel *m_dummyLabel = nullptr;
    CallEdit *m_callEdit = nullptr;

    AboutBox *m_aboutBox = nullptr;
    BackgroundForm *m_backgroundForm = nullptr;
    SpeakForm *m_speakForm = nullptr;
    HelpViewer *m_helpViewer = nullptr;
    // In the order they were made; each is kept for the next log once it is closed.
    QList<SortLogForm *> m_sortLogForms;
    QStringList m_logsWaitingForData;
};
