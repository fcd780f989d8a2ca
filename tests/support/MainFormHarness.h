#pragma once

#include "core/shell/AppState.h"
#include "core/shell/UpdatePolicy.h"
#include "support/TestDataFiles.h"
#include "support/WindowFakes.h"
#include "ui/main/MainForm.h"
#include "ui/qslinfo/QslInfoQuery.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// Records what the main window asks of the QSL information service.
class FakeQslInfoQuery final : public QslInfoQuery
{
public:
    explicit FakeQslInfoQuery(EventLog &log) : m_log(log) {}

    void applyQslInfoMode() override { m_log << QStringLiteral("query window"); }
    void queryCall(const std::string &callFieldText) override
    {
        m_log << QStringLiteral("query ") + fromSingleByte(callFieldText);
    }
    void databaseMenuClick() override { m_log << QStringLiteral("database settings"); }
    QWidget *queryForm() const override { return form; }
    QWidget *queryMemo() const override { return memo; }

    // The query window that the main window colours, if the test gives one.
    QWidget *form = nullptr;
    QWidget *memo = nullptr;

private:
    EventLog &m_log;
};

// A web server that cannot be reached, for the real update operations.
struct UnreachableServer final : Downloader
{
    DownloadResult download(const DownloadRequest &) override
    {
        return {DownloadFailure::CannotConnect, "no connection", {}, {}};
    }
};

struct UnusedUpdateDialog final : UpdateDialog
{
    Choice exec(UpdateMode, const std::string &) override { return {}; }
};

// One main window over its own directory of data files, with every seam recording.
struct Harness
{
    QTemporaryDir dir;
    EventLog log;
    FakeMessageBoxes boxes{log};
    MessageBoxGate gate{boxes};
    FakeSpeechEngine engine{log};
    FakeQslInfoQuery query{log};
    ScriptedUpdates updates{log};
    AppState state{dir.path().toStdString()};
    AppSettings &settings = state.settings;
    UnreachableServer unreachable;
    UnusedUpdateDialog unusedDialog;
    UpdatePolicy offline{state, gate, unreachable, unusedDialog, "localhost"};
    std::unique_ptr<MainForm> form;
    // The real update operations against a server that cannot be reached, instead of the script.
    bool offlineUpdates = false;
    // The real QSL information service, instead of the recording one.
    QslInfoQuery *qslInfo = nullptr;

    explicit Harness(bool withDataFiles = true)
    {
        if (!dir.isValid() || (withDataFiles && !writeDataFiles(QDir(dir.path()))))
            qFatal("cannot prepare the data files");
    }

    QString path(const char *name) const { return QDir(dir.path()).filePath(QLatin1String(name)); }

    void make()
    {
        const auto sleep = [this](int milliseconds) {
            log << QStringLiteral("sleep %1").arg(milliseconds);
        };
        form = std::make_unique<MainForm>(
            state,
            MainFormSeams{gate, engine, sleep,
                          offlineUpdates ? static_cast<UpdateOperations &>(offline) : updates,
                          qslInfo != nullptr ? *qslInfo : static_cast<QslInfoQuery &>(query)});
    }

    // Shows the window and waits until the start-up has run.
    bool start()
    {
        make();
        form->show();
        if (!QTest::qWaitForWindowActive(form.get()))
            return false;
        return QTest::qWaitFor([this] { return !form->firstActivation(); });
    }

    template<typename T = QWidget> T *child(const char *name) const
    {
        return form->findChild<T *>(QLatin1String(name));
    }
    QLineEdit *callEdit() const { return child<QLineEdit>("CallEdit"); }
    QString text(const char *label) const { return child<QLabel>(label)->text(); }
    QStringList answers() const
    {
        return {text("PrefixLabel"), text("ResultLabel"), text("InfoLabel")};
    }

    void lookUp(const QString &call)
    {
        callEdit()->clear();
        QTest::keyClicks(callEdit(), call);
        QTest::keyClick(callEdit(), Qt::Key_Return);
    }
};
