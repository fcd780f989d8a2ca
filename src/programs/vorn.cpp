// vorn: finds the IARU QSL bureau for a call sign or prefix.

#include "core/data/BureauTable.h"
#include "core/data/DataFiles.h"
#include "core/data/DataVersion.h"
#include "core/data/ExactCallList.h"
#include "core/settings/BuildSettings.h"
#include "core/settings/SettingsFile.h"
#include "core/settings/ShippedFiles.h"
#include "core/settings/Version.h"
#include "core/shell/AppState.h"
#include "core/shell/UpdatePolicy.h"
#include "platform/EspeakEngine.h"
#include "platform/FileDownloader.h"
#include "platform/QslInfoClient.h"
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
#include <QTimer>
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

// The end-to-end tests kill the program between any two steps of putting an update's files in
// place: with VORN_TEST_INSTALL_PAUSE set, each step is named on standard error and followed by
// a pause of that many milliseconds.
void pauseAtInstallSteps([[maybe_unused]] UpdatePolicy &updates)
{
#ifdef VORN_TEST_PEERS_FROM_ENVIRONMENT
    bool valid = false;
    const int pause = qEnvironmentVariableIntValue("VORN_TEST_INSTALL_PAUSE", &valid);
    if (!valid)
        return;
    updates.setInstallSteps([pause](std::string_view step) {
        std::fprintf(stderr, "vorn: install step: %.*s\n", static_cast<int>(step.size()),
                     step.data());
        std::fflush(stderr);
        QThread::msleep(static_cast<unsigned long>(pause));
    });
#endif
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

// What keeps the folder, and what the user can do about it: a lock outlives nothing but its
// process, so ending that process (or the Vorn it is) frees the folder.
QString notAnswering(const FolderLock::Holder &holder)
{
    QString text = QCoreApplication::translate("main", "Vorn is already running in the folder "
                                                       "%1, but does not answer.")
                       .arg(QDir::toNativeSeparators(QDir::currentPath()));
    const QString lockFile = QDir::toNativeSeparators(holder.lockFile);
    if (holder.pid == 0)
        text += QCoreApplication::translate("main", "\r\n\r\nAnother program holds the lock "
                                                    "file %1. Close it, then start Vorn again.")
                    .arg(lockFile);
    else if (!holder.host.isEmpty())
        text += QCoreApplication::translate("main", "\r\n\r\nProcess %1 on the computer %2 "
                                                    "holds the lock file %3. Close Vorn there, "
                                                    "then start Vorn again.")
                    .arg(holder.pid)
                    .arg(holder.host, lockFile);
    else
        text += QCoreApplication::translate("main", "\r\n\r\nProcess %1 holds the lock file "
                                                    "%2. Close that Vorn, or end process %1 if "
                                                    "it hangs, then start Vorn again.")
                    .arg(holder.pid)
                    .arg(lockFile);
    return text;
}

// Another Vorn works on this folder: it gets the logs, or is only brought to the front.
int handOverTo(SingleInstance &holder, const QStringList &logs)
{
    // Ended by the hand-over alone, not by the box closing.
    QApplication::setQuitOnLastWindowClosed(false);
    QtMessageBoxes boxes;
    QObject::connect(&holder, &SingleInstance::handedOver, [&](bool taken) {
        if (!taken)
            boxes.inform(MessageBoxes::Kind::Warning, notAnswering(holder.holder()).toStdString());
        QCoreApplication::exit(taken ? 0 : 1);
    });
    holder.handOver(logs);
    return QApplication::exec();
}

// A hand-over of a whole folder of logs, selected by mistake, would open a window for each: a
// Sort log window takes 2.5 MB even for a small log, 5 GB for 2,000 logs. Ten windows already
// cover a 1024 x 768 screen; more logs than that at once are a mistake, and are named instead.
constexpr qsizetype MostLogsAtOnce = 10;
constexpr qsizetype MostLogsNamed = 10;

void openLogs(MainForm &mainForm, MessageBoxes &boxes, const QStringList &logs)
{
    mainForm.openLogs(logs.first(MostLogsAtOnce > logs.size() ? logs.size() : MostLogsAtOnce));
    if (logs.size() <= MostLogsAtOnce)
        return;
    const QStringList left = logs.mid(MostLogsAtOnce);
    QStringList named;
    for (qsizetype i = 0; i < left.size() && i < MostLogsNamed; ++i)
        named << QDir::toNativeSeparators(left[i]);
    if (left.size() > MostLogsNamed)
        named
            << QCoreApplication::translate("main", "and %1 more").arg(left.size() - MostLogsNamed);
    const QString text = QCoreApplication::translate("main", "Vorn opens at most %1 logs at a "
                                                             "time. These %2 were not opened:")
                             .arg(MostLogsAtOnce)
                             .arg(left.size()) +
                         QStringLiteral("\r\n") + named.join(QStringLiteral("\r\n"));
    // After the windows: the box waits for the user.
    QTimer::singleShot(0, &mainForm, [&boxes, text] {
        boxes.inform(MessageBoxes::Kind::Information, text.toStdString());
    });
}

// "vorn --print-data-dir": the user's data folder, for the launcher, which starts Vorn there. Asked
// before the toolkit starts, so that no display is needed.
int printDataDirectory()
{
    const std::optional<std::filesystem::path> folder = userDataDirectory();
    if (!folder) {
        std::fputs("vorn: no data folder: neither XDG_DATA_HOME nor HOME is set\n", stderr);
        return 1;
    }
    std::printf("%s\n", folder->c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// "vorn --version": the program's version, the installed data version in the words of the About
// box and the list of exact calls, for the data in the current directory, where the launcher
// starts Vorn. Needs no display and leaves any running Vorn alone.
bool printVersion(int argc, char *argv[])
{
    if (argc != 2 || std::string_view(argv[1]) != "--version")
        return false;
    const std::int32_t installed =
        installedDataVersion(readSettingsFile(DataFiles::SettingsFile).dataVersion,
                             bureauFileDataVersion(DataFiles::BureauFile));
    ExactCallList calls;
    const CallListLoad load = loadExactCallList(calls, DataFiles::CallsFile);
    std::printf("vorn %s\n%s\n%s\n", ProgramVersion, describeDataVersion(installed).c_str(),
                describeExactCallList(load, calls.count(), true).c_str());
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 2 && std::string_view(argv[1]) == "--print-data-dir") {
        if (argc == 2)
            return printDataDirectory();
        std::fputs("vorn: --print-data-dir takes no other argument\n", stderr);
        return 1;
    }
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

    // The services first, so that the windows that show them go before them.
    FileDownloader downloader(peer(NetPeer{UpdateHost}, "VORN_TEST_UPDATE_PEER"), state.folder);
    DownloadForm downloadForm(downloader);
    UpdateForm updateForm;
    UpdatePolicy updates(state, boxes, downloader, updateForm, UpdateHost);
    pauseAtInstallSteps(updates);
    const QslInfoServer server = qslInfoServer();
    QslInfoClient qslInfoClient(server);
    QueryForm queryForm(state.settings, qslInfoClient);
    DatabaseForm databaseForm(server);
    QslInfoService qslInfo(state.settings, qslInfoClient, queryForm, databaseForm);

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
                     [&mainForm, &boxes](const QStringList &files) {
                         if (files.isEmpty())
                             mainForm.comeToFront();
                         else
                             openLogs(mainForm, boxes, files);
                     });

    mainForm.show();
    openLogs(mainForm, boxes, logs);
    // Later starts cannot reach a program without its socket: they would say that it does not
    // answer, or, with no lock either, start beside it.
    if (!instance.problem().isEmpty())
        QTimer::singleShot(0, &mainForm, [&boxes, &instance] {
            boxes.inform(MessageBoxes::Kind::Warning,
                         QCoreApplication::translate("main",
                                                     "Vorn runs, but a later start of Vorn in "
                                                     "this folder cannot reach it.")
                             .toStdString(),
                         instance.problem().toStdString());
        });
    const int status = QApplication::exec();
    // Whatever ran after the window closed (a start-up step left by a signal, say) is kept too.
    mainForm.saveSettings();
    // A start-up that could not load the data ends the program; scripts can tell.
    return mainForm.startupFailed() ? 1 : status;
}
