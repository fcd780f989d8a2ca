#pragma once

#include "app/AppSettings.h"
#include "app/MessageBoxes.h"
#include "data/BureauTable.h"
#include "data/CountryTable.h"
#include "data/StartupSequence.h"
#include "net/QslInfoQuery.h"
#include "net/UpdateOperations.h"

#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>

class AboutBox;
class BackgroundForm;
class CallEdit;
class HelpViewer;
class QLabel;
class SpeakForm;
class SpeechEngine;

// The platform services the main window works through, handed in so that tests can answer
// and record them.
struct MainFormSeams
{
    MessageBoxes &messageBoxes;
    SpeechEngine &speechEngine;
    std::function<void(int)> sleep;      // milliseconds, blocking the GUI thread
    std::filesystem::path dataDirectory; // where the data and settings files lie; empty: here
};

// The program's main window: the call field, the three answer lines, the menu, and the
// process-wide state (settings, tables) the other windows share. Reads vorn.set when it is
// made, loads the data files on its first activation and writes vorn.set when it closes.
class MainForm : public QMainWindow, private StartupWindow
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 635;
    static constexpr int ClientHeight = 272;

    explicit MainForm(MainFormSeams seams, QWidget *parent = nullptr);
    ~MainForm() override;

    AppSettings &settings() { return m_settings; }
    const CountryTable &countryTable() const { return m_countries; }
    const BureauTable &bureauTable() const { return m_bureaus; }
    bool resultsShown() const { return m_resultsShown; }
    bool firstActivation() const { return m_firstActivation; }
    // The data files could not be loaded and the start-up closed the window.
    bool startupFailed() const { return m_startupFailed; }

    // The boxes the other windows use: once this window has closed they are dismissed unseen.
    MessageBoxes &messageBoxes() { return m_boxes; }
    // The windows made after this one attach here; null puts the stand-ins back.
    void setUpdateOperations(UpdateOperations *updates);
    void setQslInfoQuery(QslInfoQuery *query);

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

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
    void exitMenuClick();
    void applyCurrentBackground();

    UpdateOperations &updates() { return m_updates ? *m_updates : *m_offlineUpdates; }
    QslInfoQuery &qslInfo() { return m_qslInfo ? *m_qslInfo : m_noQslInfo; }

    MessageBoxGate m_boxes;
    SpeechEngine &m_speechEngine;
    std::function<void(int)> m_sleep;
    std::filesystem::path m_dataDirectory;

    AppSettings m_settings;
    CountryTable m_countries;
    BureauTable m_bureaus;
    bool m_resultsShown = false;
    bool m_firstActivation = true;
    bool m_startupScheduled = false;
    bool m_startupFailed = false;
    bool m_shown = false;

    std::unique_ptr<OfflineUpdates> m_offlineUpdates;
    UpdateOperations *m_updates = nullptr;
    NoQslInfoQuery m_noQslInfo;
    QslInfoQuery *m_qslInfo = nullptr;

    QLabel *m_map = nullptr;
    QLabel *m_prefixLabel = nullptr;
    QLabel *m_resultLabel = nullptr;
    QLabel *m_infoLabel = nullptr;
    QLabel *m_logo = nullptr;
    QLabel *m_dummyLabel = nullptr;
    CallEdit *m_callEdit = nullptr;

    AboutBox *m_aboutBox = nullptr;
    BackgroundForm *m_backgroundForm = nullptr;
    SpeakForm *m_speakForm = nullptr;
    HelpViewer *m_helpViewer = nullptr;
};
