#include "ui/qslinfo/DatabaseForm.h"

#include "core/settings/AppSettings.h"
#include "platform/QslInfoClient.h"
#include "support/WindowFakes.h"
#include "ui/qslinfo/QslInfoService.h"
#include "ui/qslinfo/QueryForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// The settings dialog and the query window behind the main window's seam, as the program wires
// them; nothing listens on the service's port, and no query is started here.
struct DatabaseHarness
{
    AppSettings settings;
    QslInfoServer server{{"127.0.0.1", 9}, "urn:test:qslinfo"};
    QslInfoClient client{server};
    QueryForm queryForm{settings, client};
    DatabaseForm databaseForm{server};
    QslInfoService service{settings, client, queryForm, databaseForm};

    template<typename T> T *control(const char *name) const
    {
        return databaseForm.findChild<T *>(QLatin1String(name));
    }

    // The Settings menu's command, with the user's steps inside the open dialog; a dialog that
    // the steps leave open is closed by its close box.
    void databaseMenuClick(const std::function<void()> &steps)
    {
        QTimer::singleShot(0, &databaseForm, [this, steps] {
            steps();
            if (databaseForm.isVisible())
                databaseForm.close();
        });
        service.databaseMenuClick();
    }

    void click(const char *name) const
    {
        QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton);
    }
};

} // namespace

class DatabaseFormTest : public QObject
{
    Q_OBJECT

private slots:
    void closing_data();
    void closing();
    void keys_data();
    void keys();
    void anonymousBox();
    void modeShapesTheQueryWindow();
    void closingTheQueryWindowSwitchesTheServiceOff();
};

void DatabaseFormTest::closing_data()
{
    QTest::addColumn<int>("storedMode");
    QTest::addColumn<QString>("storedCall");
    // Buttons to click; "=text" unticks the anonymous box and types the text. A dialog left
    // open is closed by its close box.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("ownCall");

    const int none = 0;
    const int manual = 1;
    const int automatic = 2;
    QTest::newRow("OK stores the mode and the own call without blanks")
        << none << "" << QStringList{"AutoButton", "= dl9xyz ", "OkButton"} << automatic
        << "DL9XYZ";
    QTest::newRow("OK with the service off keeps the own call")
        << automatic << "DL1ABC" << QStringList{"NoButton", "OkButton"} << none << "DL1ABC";
    QTest::newRow("Cancel stores nothing")
        << manual << "DL1ABC" << QStringList{"NoButton", "=X", "CancelButton"} << manual
        << "DL1ABC";
    QTest::newRow("the close box stores nothing")
        << manual << "DL1ABC" << QStringList{"AutoButton", "=X"} << manual << "DL1ABC";
}

void DatabaseFormTest::closing()
{
    QFETCH(int, storedMode);
    QFETCH(QString, storedCall);
    QFETCH(QStringList, steps);
    QFETCH(int, mode);
    QFETCH(QString, ownCall);

    DatabaseHarness h;
    h.settings.qslInfoMode = static_cast<QslInfoMode>(storedMode);
    h.settings.ownCall = storedCall.toStdString();
    h.databaseMenuClick([&] {
        for (const QString &step : steps) {
            if (!step.startsWith(QLatin1Char('='))) {
                h.click(qPrintable(step));
                continue;
            }
            h.control<QCheckBox>("AnonimousBox")->setChecked(false);
            QTest::keyClicks(h.control<QLineEdit>("CallEdit"), step.mid(1));
        }
    });
    QCOMPARE(static_cast<int>(h.settings.qslInfoMode), mode);
    QCOMPARE(QString::fromStdString(h.settings.ownCall), ownCall);
}

void DatabaseFormTest::keys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("stores");

    // Return presses OK, or the button that has the focus; Escape is Cancel wherever the focus is.
    QTest::newRow("Return in the call field") << "CallEdit" << int(Qt::Key_Return) << true << true;
    QTest::newRow("Enter on a radio button")
        << "ManualButton" << int(Qt::Key_Enter) << true << true;
    QTest::newRow("Return on OK") << "OkButton" << int(Qt::Key_Return) << true << true;
    QTest::newRow("Return on Cancel") << "CancelButton" << int(Qt::Key_Return) << true << false;
    QTest::newRow("Escape in the call field") << "CallEdit" << int(Qt::Key_Escape) << true << false;
    QTest::newRow("Escape on OK") << "OkButton" << int(Qt::Key_Escape) << true << false;
}

void DatabaseFormTest::keys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, closes);
    QFETCH(bool, stores);

    DatabaseHarness h;
    h.settings.ownCall = "DL1ABC";
    bool closed = false;
    h.databaseMenuClick([&] {
        h.click("ManualButton");
        QTest::keyClicks(h.control<QLineEdit>("CallEdit"), "/P");
        auto *control = h.control<QWidget>(qPrintable(focus));
        control->setFocus();
        QTest::keyClick(control, static_cast<Qt::Key>(key));
        closed = !h.databaseForm.isVisible();
    });
    QCOMPARE(closed, closes);
    QCOMPARE(h.settings.qslInfoMode, stores ? QslInfoMode::Manual : QslInfoMode::None);
    QCOMPARE(h.settings.ownCall, std::string(stores ? "DL1ABC/P" : "DL1ABC"));
}

void DatabaseFormTest::anonymousBox()
{
    DatabaseHarness h;
    h.settings.qslInfoMode = QslInfoMode::Auto;
    h.settings.ownCall = "DL1ABC";
    bool ticked = true;
    h.databaseMenuClick([&] {
        auto *edit = h.control<QLineEdit>("CallEdit");
        QCOMPARE(edit->text(), QStringLiteral("DL1ABC"));
        h.click("AnonimousBox");
        QVERIFY(edit->text().isEmpty());
        QVERIFY(!edit->isEnabled());
        QVERIFY(!h.control<QLabel>("CallLabel")->isEnabled());
        // Unticked again, the field is back but stays empty until the user types.
        h.click("AnonimousBox");
        QVERIFY(edit->isEnabled());
        QVERIFY(edit->text().isEmpty());
        h.click("OkButton");
    });
    QCOMPARE(h.settings.ownCall, std::string());
    h.databaseMenuClick([&] { ticked = h.control<QCheckBox>("AnonimousBox")->isChecked(); });
    QVERIFY(ticked);
}

void DatabaseFormTest::modeShapesTheQueryWindow()
{
    DatabaseHarness h;
    const auto shape = [&h] {
        if (!h.queryForm.isVisible())
            return QStringLiteral("closed");
        const bool button = h.queryForm.findChild<QPushButton *>("QueryButton")->isVisible();
        return QStringLiteral("%1 %2")
            .arg(button ? "button" : "no button")
            .arg(h.queryForm.memo()->height());
    };
    QStringList shapes;
    for (const char *button : {"AutoButton", "ManualButton", "NoButton", "ManualButton"}) {
        h.databaseMenuClick([&] {
            h.click(button);
            h.click("OkButton");
        });
        shapes << shape();
    }
    // Cancel keeps the mode, and the window keeps its shape.
    h.databaseMenuClick([&] {
        h.click("AutoButton");
        h.click("CancelButton");
    });
    shapes << shape();
    QCOMPARE(shapes,
             (QStringList{"no button 304", "button 271", "closed", "button 271", "button 271"}));
}

void DatabaseFormTest::closingTheQueryWindowSwitchesTheServiceOff()
{
    DatabaseHarness h;
    h.settings.qslInfoMode = QslInfoMode::Auto;
    h.service.applyQslInfoMode();
    // Closed by the program, as the end of the session closes every window: the mode stays.
    h.queryForm.close();
    QCOMPARE(h.settings.qslInfoMode, QslInfoMode::Auto);
    // Closed by the user through the window system.
    h.service.applyQslInfoMode();
    QCloseEvent closeBox;
    QCoreApplication::sendEvent(h.queryForm.windowHandle(), &closeBox);
    QVERIFY(!h.queryForm.isVisible());
    QCOMPARE(h.settings.qslInfoMode, QslInfoMode::None);
    // The next opening shows the service off and the own call greyed, until a mode is chosen.
    QStringList shown;
    h.databaseMenuClick([&] {
        auto *box = h.control<QGroupBox>("CallBox");
        shown << QString::number(h.control<QRadioButton>("NoButton")->isChecked())
              << QString::number(box->isEnabled());
        h.click("ManualButton");
        shown << QString::number(box->isEnabled());
    });
    QCOMPARE(shown, (QStringList{"1", "0", "1"}));
}

QTEST_MAIN(DatabaseFormTest)
#include "DatabaseFormTest.moc"
