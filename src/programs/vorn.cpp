// vorn: finds the IARU QSL bureau for a call sign or prefix.

#include "core/data/BureauTable.h"
#include "core/data/DataFiles.h"
#include "core/data/ExactCallList.h"
#include "core/settings/BuildSettings.h"
#include "core/settings/Version.h"
#include "core/shell/AppState.h"
#include "core/shell/UpdatePolicy.h"
#include "platform/EspeakEngine.h"
#include "platform/SignalWatcher.h"
#include "platform/SingleInstance.h"
#include "ui/main/MainForm.h"
#include "ui/qslinfo/DatabaseForm.h"
#include "ui/qslinfo/QslInfoService.h"
#include "ui/qslinfo/QueryForm.h"
#include "ui/update/DownloadForm.h"
#include "ui/update/UpdateForm.h"
#include "ui/widgets/DialogFrame.h"
#include "ui/widgets/QtMessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QThread>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace {

// The servers are fixed when the program is built. The end-to-end tests build the program once
// more to ask stand-in servers on loopback ports of their choosing, given as "host:port" in
// VORN_TEST_UPDATE_PEER and VORN_TEST_QSLINFO_PEER; the program itself has no such code.
NetPeer peer(NetPeer builtIn, [[maybe_unused]] const char *variable)
{
#ifdef VORN_TEST_PEERS_FROM_ENVIRONMENT
    const QString given = qEnvironmentVariable(variable);
    const qsizetype colon = given.lastIndexOf(QLatin1Char(':'));
    bool valid = false;
    const ushort port = given.mid(colon + 1).toUShort(&valid);
    if (colon > 0 && valid)
        return NetPeer{given.left(colon).toStdString(), port};
#endif
    return builtIn;
}

QslInfoServer qslInfoServer()
{
    QslInfoServer server = builtInQslInfoServer();
    server.peer = peer(server.peer, "VORN_TEST_QSLINFO_PEER");
    return server;
}

void nameTheApplication()
{
    QApplication::setApplicationName(QStringLiteral("Vorn"));
    QApplication::setDesktopFileName(QStringLiteral("vorn"));
    QApplication::setWindowIcon(programIcon());
}

// Another Vorn works on this folder: it gets the logs, or is only brought to the front.
int handOverTo(SingleInstance &holder, const QStringList &logs)
{
    // Ended by the hand-over alone, not by the box closing.
    QApplication::setQuitOnLastWindowClosed(false);
    QtMessageBoxes boxes;
    QObject::connect(&holder, &SingleInstance::handedOver, [&boxes](bool taken) {
        if (!taken)
            boxes.inform(MessageBoxes::Kind::Warning,
                         QCoreApplication::translate("main",
                                                     "Vorn is already running in the folder %1, "
                                                     "but does not answer.")
                             .arg(QDir::toNativeSeparators(QDir::currentPath()))
                             .toStdString());
        QCoreApplication::exit(taken ? 0 : 1);
    });
    holder.handOver(logs);
    return QApplication::exec();
}

// "vorn --version": the program's version, the data version that vorn.asc names and the list of
// exact calls, for the data in the current directory, where the launcher starts Vorn. Needs no
// display and leaves any running Vorn alone.
bool printVersion(int argc, char *argv[])
{
    if (argc != 2 || std::string_view(argv[1]) != "--version")
        return false;
    const std::optional<std::int32_t> dataVersion = bureauFileDataVersion(DataFiles::BureauFile);
    ExactCallList calls;
    const CallListLoad load = loadExactCallList(calls, DataFiles::CallsFile);
    std::printf("vorn %s\ndata %s\n%s\n", ProgramVersion,
                dataVersion ? std::to_string(*dataVersion).c_str() : "version unknown",
                describeExactCallList(load, calls.count(), true).c_str());
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (printVersion(argc, argv))
        return std::fflush(stdout) == 0 ? 0 : 1;
    QApplication app(argc, argv);
    // What is left after the toolkit's own options are the logs to sort.
    const QStringList logs = QApplication::arguments().mid(1);

    // Everything lies in the current directory, which the launcher chooses, and one Vorn works
    // on it at a time. Claimed while the application still bears its executable's name: the
    // lock names its holder so, and takes a holder of another name for a process that is gone.
    SingleInstance instance(QDir::currentPath());
    const bool claimed = instance.claim();
    nameTheApplication();
    if (!claimed)
        return handOverTo(instance, logs);

    AppState state;
    QtMessageBoxes qtBoxes;
    MessageBoxGate boxes(qtBoxes);
    EspeakEngine speechEngine;

    DownloadForm downloadForm(peer(NetPeer{UpdateHost}, "VORN_TEST_UPDATE_PEER"), state.folder);
    UpdateForm updateForm;
    UpdatePolicy updates(state, boxes, downloadForm, updateForm, UpdateHost);
    const QslInfoServer server = qslInfoServer();
    QueryForm queryForm(state.settings, server);
    DatabaseForm databaseForm(server);
    QslInfoService qslInfo(state.settings, queryForm, databaseForm);

    MainForm mainForm(state,
                      MainFormSeams{boxes, speechEngine,
                                    [](int milliseconds) {
                                        QThread::msleep(static_cast<unsigned long>(milliseconds));
                                    },
                                    updates, qslInfo});
    qtBoxes.setParentWindow(&mainForm);
    queryForm.showBeside(&mainForm);
    QObject::connect(&queryForm, &QueryForm::queryButtonClicked, &mainForm,
                     &MainForm::queryButtonClick);

    // Asked to end by the system, a terminal or the desktop session: close as Exit does, which
    // saves the settings, and leave every event loop, an open dialog's included. No box may hold
    // the end up; a failure goes to standard error.
    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &mainForm, [&] {
        boxes.dismissFromNowOn();
        mainForm.close();
        QApplication::quit();
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &mainForm, &MainForm::saveSettings);

    // A later start of Vorn on this folder, a double-click on a log say, hands its logs here.
    QObject::connect(&instance, &SingleInstance::filesHandedOver, &mainForm,
                     [&mainForm](const QStringList &files) {
                         if (files.isEmpty())
                             mainForm.comeToFront();
                         else
                             mainForm.openLogs(files);
                     });

    mainForm.show();
    mainForm.openLogs(logs);
    const int status = QApplication::exec();
    // Whatever ran after the window closed (a start-up step left by a signal, say) is kept too.
    mainForm.saveSettings();
    // A start-up that could not load the data ends the program; scripts can tell.
    return mainForm.startupFailed() ? 1 : status;
}
