#pragma once

#include "TestDataFiles.h"
#include "WindowFakes.h"
#include "app/MainForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// One main window over its own directory of data files, with every seam recording.
struct Harness
{
    QTemporaryDir dir;
    EventLog log;
    FakeMessageBoxes boxes{log};
    FakeSpeechEngine engine{log};
    FakeQslInfoQuery query{log};
    ScriptedUpdates updates{log};
    std::unique_ptr<MainForm> form;
    // Leaves the window with its own stand-in, which fails every transfer.
    bool offlineUpdates = false;

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
            MainFormSeams{boxes, engine, sleep, dir.path().toStdString()});
        form->setQslInfoQuery(&query);
        if (!offlineUpdates)
            form->setUpdateOperations(&updates);
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
