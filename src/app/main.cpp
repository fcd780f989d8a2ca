// vorn: finds the IARU QSL bureau for a call sign or prefix.

#include "app/AppState.h"
#include "app/BuildSettings.h"
#include "app/MainForm.h"
#include "app/QtMessageBoxes.h"
#include "app/SignalWatcher.h"
#include "net/DownloadForm.h"
#include "net/QslInfoQuery.h"
#include "net/UpdateForm.h"
#include "net/UpdatePolicy.h"
#include "speech/EspeakEngine.h"

#include <QApplication>
#include <QThread>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorn"));
    QApplication::setDesktopFileName(QStringLiteral("vorn"));

    // Everything lies in the current directory, which the launcher chooses.
    AppState state;
    QtMessageBoxes qtBoxes;
    MessageBoxGate boxes(qtBoxes);
    EspeakEngine speechEngine;

    DownloadForm downloadForm(NetPeer{UpdateHost}, state.folder);
    UpdateForm updateForm;
    UpdatePolicy updates(state, boxes, downloadForm, updateForm, UpdateHost);
    NoQslInfoQuery qslInfo;

    MainForm mainForm(state,
                      MainFormSeams{boxes, speechEngine,
                                    [](int milliseconds) {
                                        QThread::msleep(static_cast<unsigned long>(milliseconds));
                                    },
                                    updates, qslInfo});
    qtBoxes.setParentWindow(&mainForm);

    // Asked to end by the system, a terminal or the desktop session: close as Exit does, which
    // saves the settings, and leave every event loop, an open dialog's included.
    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &mainForm, [&mainForm] {
        mainForm.close();
        QApplication::quit();
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &mainForm,
                     &MainForm::saveSettings);

    mainForm.show();
    const int status = QApplication::exec();
    // Whatever ran after the window closed (a start-up step left by a signal, say) is kept too.
    mainForm.saveSettings();
    // A start-up that could not load the data ends the program; scripts can tell.
    return mainForm.startupFailed() ? 1 : status;
}
