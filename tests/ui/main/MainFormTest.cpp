#include "core/lookup/CallLookup.h"
#include "core/settings/BuildSettings.h"
#include "core/text/CallText.h"
#include "support/MainFormHarness.h"
#include "ui/help/HelpViewer.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

class MainFormTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void controlsStandWhereTheyBelong_data();
    void controlsStandWhereTheyBelong();
    void windowHasAFixedClientArea();
    void labelsUseTheBlueBoldFont();
    void logoAndHints();
    void menuHasItsCommands();
    void controlsAreDescribed();

    void callFieldTakesCapitals_data();
    void callFieldTakesCapitals();
    void callFieldRefusesTheSixteenthCharacter();
    void pastedTextIsHandledToo_data();
    void pastedTextIsHandledToo();
    void tabFocusSelectsNothing();

    void returnShowsTheAnswers_data();
    void returnShowsTheAnswers();
    void returnWithNothingTypedShowsNothing_data();
    void returnWithNothingTypedShowsNothing();
    void otherKeysClearTheAnswers_data();
    void otherKeysClearTheAnswers();
    void typingReplacesTheShownCall();
    void returnTwiceShowsTheAnswersAgain();
    void screenReadersReadTheAnswers();
    void longestAnswersAreNotCut_data();
    void longestAnswersAreNotCut();
    void copyAnswerCopiesTheWholeLine();
    void portableCallsGetAFourthLine_data();
    void portableCallsGetAFourthLine();

    void activationPreparesTheWindow();
    void laterActivationsSkipTheStartUp();
    void settingsAreReadAndWritten();

    void queryRunsBeforeSpeech();
    void queryFollowsEveryLookUp();
    void silentWithoutVoiceOrQuery();
    void secondReturnSpeaksAgain();
    void guestCallSpeaksTheHomePileLast();
    void failingSpeechSwitchesVoiceOff();

    void backgroundMenuAppliesTheChoice_data();
    void backgroundMenuAppliesTheChoice();
    void labelsStandOutOnEveryBackground_data();
    void labelsStandOutOnEveryBackground();
    void voiceMenuStoresTheChoice();
    void laterMenuCommandsReachTheirSeams();
    void helpOpensTheViewer();
};

void MainFormTest::initTestCase()
{
    // A closed main window must not end the test run.
    QApplication::setQuitOnLastWindowClosed(false);
}

void MainFormTest::controlsStandWhereTheyBelong_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("CallLabel") << "CallLabel" << QRect(117, 85, 160, 24) << "Call / Prefix :";
    QTest::newRow("SortLabel") << "SortLabel" << QRect(117, 115, 160, 24) << "Sort QSL under :";
    QTest::newRow("BureauLabel") << "BureauLabel" << QRect(117, 145, 160, 24) << "QSL bureau :";
    QTest::newRow("DxccLabel") << "DxccLabel" << QRect(117, 175, 160, 24) << "DXCC / WAE :";
    QTest::newRow("PrefixLabel") << "PrefixLabel" << QRect(285, 115, 280, 24) << "";
    QTest::newRow("ResultLabel") << "ResultLabel" << QRect(285, 145, 280, 24) << "";
    QTest::newRow("InfoLabel") << "InfoLabel" << QRect(285, 175, 280, 24) << "";
    QTest::newRow("DummyLabel") << "DummyLabel" << QRect(208, 16, 37, 13) << "";
    QTest::newRow("CallEdit") << "CallEdit" << QRect(285, 83, 160, 24) << "";
}

void MainFormTest::controlsStandWhereTheyBelong()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    Harness h;
    h.make();
    QWidget *control = h.form->findChild<QWidget *>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->parentWidget(), h.form->centralWidget());
    QCOMPARE(control->geometry(), geometry);
    if (auto *label = qobject_cast<QLabel *>(control)) {
        QCOMPARE(label->text(), text);
        QVERIFY(!label->wordWrap());
        QVERIFY(!label->autoFillBackground());
        const Qt::Alignment horizontal = label->alignment() & Qt::AlignHorizontal_Mask;
        if (geometry.left() == 117)
            QCOMPARE(horizontal, Qt::AlignRight);
    }
}

void MainFormTest::windowHasAFixedClientArea()
{
    Harness h;
    QVERIFY(h.start());
    QCOMPARE(h.form->centralWidget()->size(), QSize(635, 272));
    QCOMPARE(h.form->minimumSize(), h.form->maximumSize());
    QVERIFY(!(h.form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(h.form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(h.form->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(h.form->font().pixelSize(), 11);
    QCOMPARE(h.form->font().families().value(0), QStringLiteral("Verdana"));
    QCOMPARE(h.child<QLabel>("DummyLabel")->font().pixelSize(), 11);
    QVERIFY(!h.child<QLabel>("DummyLabel")->font().bold());

    // The map fills the client area and lies under every other control.
    auto *map = h.child<QLabel>("map");
    QCOMPARE(map->pos(), QPoint(0, 0));
    QVERIFY2(!map->pixmap().isNull(), "the world map is built in");
    QCOMPARE(map->size(), QSize(635, 272));
    QCOMPARE(h.form->centralWidget()->children().value(0), map);
}

void MainFormTest::labelsUseTheBlueBoldFont()
{
    Harness h;
    h.make();
    const QStringList names = {"CallLabel",   "SortLabel",   "BureauLabel", "DxccLabel",
                               "PrefixLabel", "ResultLabel", "InfoLabel",   "CallEdit"};
    for (const QString &name : names) {
        QWidget *control = h.form->findChild<QWidget *>(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        QCOMPARE(control->font().pixelSize(), 13);
        QVERIFY(control->font().bold());
        QCOMPARE(control->font().families().value(0), QStringLiteral("Verdana"));
        // Where Verdana is missing, a font of nearly the same metrics stands in.
        QVERIFY(control->font().families().size() > 1);
        const QPalette::ColorRole role =
            qobject_cast<QLineEdit *>(control) ? QPalette::Text : QPalette::WindowText;
        QCOMPARE(control->palette().color(role), QColor(0, 0, 255));
    }
}

void MainFormTest::logoAndHints()
{
    Harness h;
    h.make();
    auto *logo = h.child<QLabel>("Logo");
    QVERIFY(logo != nullptr);
    const QSize picture = logo->pixmap().size();
    QVERIFY2(!picture.isEmpty(), "the logo is built in");
    QCOMPARE(logo->geometry(), QRect(3, 128, 81, 141));
    // The project has no web page to name.
    QVERIFY(!logo->toolTip().isEmpty() && !logo->toolTip().contains(QStringLiteral("://")));

    const QString hint =
        QStringLiteral("Enter call (or prefix) and press <return> to start search");
    QCOMPARE(h.callEdit()->toolTip(), hint);
    // "<return>" must be shown as written, not taken for markup.
    QVERIFY(!Qt::mightBeRichText(hint));
    QVERIFY2(QFile::exists(QStringLiteral(":/vorn/icon.png")), "the icon is built in");
    QVERIFY(!h.form->windowIcon().isNull());
}

void MainFormTest::menuHasItsCommands()
{
    Harness h;
    h.make();
    QStringList topLevel;
    QList<QAction *> settings;
    for (QAction *action : h.form->menuBar()->actions()) {
        topLevel << action->text();
        if (action->menu() != nullptr)
            settings = action->menu()->actions();
    }
    QCOMPARE(topLevel, (QStringList{"&About", "&Settings", "S&ort log", "&Help", "E&xit"}));
    QStringList items;
    for (QAction *action : settings)
        items << action->text().remove(QLatin1Char('&'));
    // The service's entry bears its host name in capitals.
    QCOMPARE(items, (QStringList{"Background", "Voice output", "Update",
                                 QString::fromLatin1(QslInfoHost).toUpper() + " database"}));
    for (QAction *action : h.form->menuBar()->actions()) {
        if (action->text() != QStringLiteral("&Settings"))
            QVERIFY2(action->menu() == nullptr, qPrintable(action->text()));
    }
}

void MainFormTest::controlsAreDescribed()
{
    Harness h;
    h.make();
    const QStringList answerLabels = {"PrefixLabel", "ResultLabel", "InfoLabel", "PortableLabel"};
    const auto controls = h.form->centralWidget()->findChildren<QWidget *>();
    QVERIFY(controls.size() >= 11);
    for (QWidget *control : controls) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible != nullptr);
        QVERIFY2(!accessible->text(QAccessible::Description).isEmpty(),
                 qPrintable(control->objectName()));
        // The answer labels are named by their text, which is empty until a look-up.
        if (answerLabels.contains(control->objectName()))
            QVERIFY(control->accessibleName().isEmpty());
        else
            QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(),
                     qPrintable(control->objectName()));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(h.callEdit())->text(QAccessible::Name),
             QStringLiteral("Call / Prefix"));
}

void MainFormTest::callFieldTakesCapitals_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("shown");
    const int none = Qt::NoModifier;
    QTest::newRow("small letters") << "dl1abc" << none << "DL1ABC";
    QTest::newRow("mixed with slash") << "pa/dl1Abc/p" << none << "PA/DL1ABC/P";
    // Blanks in and after the call stay; one before it is dropped.
    QTest::newRow("digits and blanks stay") << " 3a 2 " << none << "3A 2 ";
    // Only ASCII letters change, as in every comparison of the program.
    QTest::newRow("accented letter stays")
        << QString::fromUtf8("dl\u00e4") << none << QString::fromUtf8("DL\u00e4");
    // No menu entry has Q, J or 1 as its access key.
    QTest::newRow("Alt with a letter that is no access key") << "qj1" << int(Qt::AltModifier) << "";
    QTest::newRow("AltGr, reported as Ctrl+Alt, types")
        << "q" << int(Qt::ControlModifier | Qt::AltModifier) << "Q";
}

void MainFormTest::callFieldTakesCapitals()
{
    QFETCH(QString, typed);
    QFETCH(int, modifiers);
    QFETCH(QString, shown);
    Harness h;
    h.make();
    for (const QChar character : typed) {
        // Key codes of Latin-1 letters are their capitals' code points.
        const auto key = Qt::Key(character.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, h.callEdit(), key, QString(character),
                            Qt::KeyboardModifiers(modifiers));
    }
    QCOMPARE(h.callEdit()->text(), shown);
}

void MainFormTest::callFieldRefusesTheSixteenthCharacter()
{
    Harness h;
    h.make();
    QTest::keyClicks(h.callEdit(), QStringLiteral("abcdefghijklmnop"));
    QCOMPARE(h.callEdit()->text(), QStringLiteral("ABCDEFGHIJKLMNO"));
}

void MainFormTest::pastedTextIsHandledToo_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("small letters") << ""
                                   << "vk3abc"
                                   << "VK3ABC";
    QTest::newRow("cut at fifteen") << ""
                                    << "abcdefghijklmnopqrst"
                                    << "ABCDEFGHIJKLMNO";
    QTest::newRow("appended") << "dl"
                              << "1abc"
                              << "DL1ABC";
    // As typing leaves them out: a C1 control and a soft hyphen.
    QTest::newRow("control characters left out")
        << "" << QString::fromUtf8("w1\u0096aw\u00ad\r\n") << "W1AW";
    // Several calls copied together: only the first goes in, never the calls joined into one.
    QTest::newRow("two cells") << ""
                               << "DL1ABC\tG4XYZ"
                               << "DL1ABC";
    QTest::newRow("lines") << ""
                           << "\r\nw1aw\r\nk1abc\r\n"
                           << "W1AW";
    QTest::newRow("blanks and tabs before") << ""
                                            << " \t vk3abc"
                                            << "VK3ABC";
    QTest::newRow("appended, cut at the tab") << "dl"
                                              << "1abc\tg4xyz"
                                              << "DL1ABC";
    // A character no single byte can hold is refused with the whole paste.
    QTest::newRow("not single-byte") << "dl" << QString::fromUtf8("1\u0416") << "DL";
}

void MainFormTest::pastedTextIsHandledToo()
{
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(QString, shown);
    Harness h;
    h.make();
    QTest::keyClicks(h.callEdit(), before);
    QApplication::clipboard()->setText(pasted);
    if (QApplication::clipboard()->text() != pasted)
        QSKIP("no clipboard on this platform");
    QTest::keyClick(h.callEdit(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(h.callEdit()->text(), shown);
}

void MainFormTest::tabFocusSelectsNothing()
{
    Harness h;
    h.make();
    h.callEdit()->setText(QStringLiteral("DL1ABC"));
    h.callEdit()->deselect();
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(h.callEdit(), &focusIn);
    QVERIFY(!h.callEdit()->hasSelectedText());
}

void MainFormTest::returnShowsTheAnswers_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QStringList>("answers");
    QTest::newRow("normal") << "dl1abc" << QStringList{"DL", "DARC", "Germany"};
    QTest::newRow("not found") << "XX1XX" << QStringList{"unknown", "unknown", "unknown"};
    QTest::newRow("one character")
        << "D" << QStringList{"call incomplete (at least 2 characters needed)", "", ""};
    QTest::newRow("call area missing")
        << "K" << QStringList{"call incomplete (call area missing)", "", ""};
    QTest::newRow("US call area") << "W1AW"
                                  << QStringList{"K1", "ARRL - call area 1", "United States"};
    QTest::newRow("Australian area")
        << "VK3ABC" << QStringList{"VK3", "WIA - call area 3", "Australia"};
    QTest::newRow("Australian 9 and 0")
        << "VK0XX" << QStringList{"VK9", "WIA - call area 9/0", "Australia"};
    QTest::newRow("no bureau") << "P51A" << QStringList{"", "none", "North Korea"};
    QTest::newRow("not IARU") << "3A2B" << QStringList{"3A", "Test bureau (non IARU)", "Monaco"};
}

void MainFormTest::returnShowsTheAnswers()
{
    QFETCH(QString, call);
    QFETCH(QStringList, answers);
    Harness h;
    QVERIFY(h.start());
    h.lookUp(call);
    QCOMPARE(h.answers(), answers);
    QVERIFY(h.form->resultsShown());
    QCOMPARE(h.callEdit()->selectedText(), h.callEdit()->text());
    QVERIFY(h.callEdit()->hasSelectedText());
    // The repaint marker is left empty, and the Return did not reach the field.
    QCOMPARE(h.text("DummyLabel"), QString());
    QCOMPARE(h.callEdit()->text(), call.toUpper());
}

void MainFormTest::returnWithNothingTypedShowsNothing_data()
{
    QTest::addColumn<QString>("call");
    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
}

void MainFormTest::returnWithNothingTypedShowsNothing()
{
    QFETCH(QString, call);
    Harness h;
    QVERIFY(h.start());
    h.lookUp(call);
    QCOMPARE(h.answers(), (QStringList{"", "", ""}));
    QVERIFY(!h.form->resultsShown());

    // A shown answer is gone once Return is pressed on nothing.
    h.lookUp(QStringLiteral("DL1ABC"));
    QVERIFY(h.form->resultsShown());
    h.callEdit()->selectAll();
    QTest::keyClick(h.callEdit(), Qt::Key_Backspace);
    QTest::keyClicks(h.callEdit(), call);
    QTest::keyClick(h.callEdit(), Qt::Key_Return);
    QCOMPARE(h.answers(), (QStringList{"", "", ""}));
    QVERIFY(!h.form->resultsShown());
}

void MainFormTest::otherKeysClearTheAnswers_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("cursor left") << int(Qt::Key_Left) << int(Qt::NoModifier);
    QTest::newRow("cursor up") << int(Qt::Key_Up) << int(Qt::NoModifier);
    QTest::newRow("home") << int(Qt::Key_Home) << int(Qt::NoModifier);
    QTest::newRow("delete") << int(Qt::Key_Delete) << int(Qt::NoModifier);
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier);
    QTest::newRow("shift") << int(Qt::Key_Shift) << int(Qt::ShiftModifier);
    QTest::newRow("control") << int(Qt::Key_Control) << int(Qt::ControlModifier);
    QTest::newRow("escape") << int(Qt::Key_Escape) << int(Qt::NoModifier);
    QTest::newRow("function key") << int(Qt::Key_F5) << int(Qt::NoModifier);
    QTest::newRow("letter") << int(Qt::Key_A) << int(Qt::NoModifier);
}

void MainFormTest::otherKeysClearTheAnswers()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Harness h;
    QVERIFY(h.start());
    h.lookUp(QStringLiteral("DL1ABC"));
    QCOMPARE(h.text("PrefixLabel"), QStringLiteral("DL"));
    QTest::keyClick(h.callEdit(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(h.answers(), (QStringList{"", "", ""}));
    QVERIFY(!h.form->resultsShown());
}

void MainFormTest::typingReplacesTheShownCall()
{
    Harness h;
    QVERIFY(h.start());
    h.lookUp(QStringLiteral("DL1ABC"));
    QTest::keyClicks(h.callEdit(), QStringLiteral("vk3"));
    QCOMPARE(h.callEdit()->text(), QStringLiteral("VK3"));
    QTest::keyClick(h.callEdit(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(h.answers(), (QStringList{"VK3", "WIA - call area 3", "Australia"}));
}

void MainFormTest::returnTwiceShowsTheAnswersAgain()
{
    Harness h;
    QVERIFY(h.start());
    h.lookUp(QStringLiteral("DL1ABC"));
    QTest::keyClick(h.callEdit(), Qt::Key_Return);
    QCOMPARE(h.answers(), (QStringList{"DL", "DARC", "Germany"}));
    QVERIFY(h.form->resultsShown());
    QCOMPARE(h.callEdit()->text(), QStringLiteral("DL1ABC"));
}

void MainFormTest::screenReadersReadTheAnswers()
{
    Harness h;
    QVERIFY(h.start());
    h.lookUp(QStringLiteral("DL1ABC"));
    const struct
    {
        const char *label;
        const char *name;
        const char *description;
    } rows[] = {{"PrefixLabel", "DL", "Sort QSL under"},
                {"ResultLabel", "DARC", "QSL bureau"},
                {"InfoLabel", "Germany", "DXCC / WAE"}};
    for (const auto &row : rows) {
        QAccessibleInterface *accessible =
            QAccessible::queryAccessibleInterface(h.child<QLabel>(row.label));
        QCOMPARE(accessible->text(QAccessible::Name), QLatin1String(row.name));
        QCOMPARE(accessible->text(QAccessible::Description), QLatin1String(row.description));
    }
}

void MainFormTest::longestAnswersAreNotCut_data()
{
    QTest::addColumn<bool>("shipped");
    QTest::newRow("shipped data") << true;
    QTest::newRow("test data, with a one-character prefix") << false;
}

void MainFormTest::longestAnswersAreNotCut()
{
    QFETCH(bool, shipped);
    Harness h(!shipped);
    for (const char *name : {"country.asc", "vorn.asc"})
        QVERIFY(!shipped ||
                QFile::copy(QStringLiteral(VORN_SHIPPED_FILES "/") + name, h.path(name)));
    QVERIFY(h.start());

    // The longest answer of each line over every prefix, its first character alone, and the
    // prefix with the call-area digits 0 and 4.
    std::array<std::pair<std::size_t, std::string>, 3> longest{};
    for (const CountryRow &row : h.state.countries.rows()) {
        const std::string prefix = row.prefix.substr(0, row.prefix.find('*'));
        for (const std::string &typed :
             {prefix, prefix.substr(0, 1), prefix + "0A", prefix + "4A"}) {
            const std::string call = CallText::normalize(typed);
            const auto r = lookUpCall(call, h.state.countries, h.state.bureaus);
            for (const auto &[line, text] :
                 {std::pair{0, r->sortText}, {1, r->bureauText}, {2, r->entityText}})
                longest[line] = std::max(longest[line], std::pair{text.size(), call});
        }
    }
    const char *const labels[] = {"PrefixLabel", "ResultLabel", "InfoLabel"};
    for (std::size_t line = 0; line < 3; ++line) {
        h.lookUp(fromSingleByte(longest[line].second));
        const QLabel *label = h.child<QLabel>(labels[line]);
        QVERIFY2(label->x() == 285 && label->width() >= label->sizeHint().width() &&
                     label->geometry().right() < h.form->centralWidget()->width(),
                 qPrintable(label->text()));
    }
}

void MainFormTest::copyAnswerCopiesTheWholeLine()
{
    Harness h;
    QVERIFY(h.start());
    h.lookUp(QStringLiteral("3a2b"));
    h.form->findChild<QAction *>(QStringLiteral("CopyAnswerAction"))->trigger();
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("3A2B\t3A\tTest bureau (non IARU)\tMonaco"));
}

void MainFormTest::portableCallsGetAFourthLine_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("copied"); // the two columns after the three answers
    QTest::newRow("guest") << "vk2/dl1abc"
                           << "home call DL1ABC: DL, DARC"
                           << "\tDL, DARC\t";
    QTest::newRow("location after the call") << "dl1abc/vk3"
                                             << "operating from: Australia"
                                             << "\t\tAustralia";
    QTest::newRow("maritime mobile") << "w1aw/mm"
                                     << "operating from: maritime mobile, no DXCC entity"
                                     << "\t\tmaritime mobile, no DXCC entity";
    QTest::newRow("portable at home") << "dl1abc/p"
                                      << ""
                                      << "";
    QTest::newRow("plain call") << "dl1abc"
                                << ""
                                << "";
}

void MainFormTest::portableCallsGetAFourthLine()
{
    QFETCH(QString, call);
    QFETCH(QString, line);
    QFETCH(QString, copied);
    Harness h;
    QVERIFY(h.start());
    h.lookUp(call);
    QCOMPARE(h.text("PortableLabel"), line);
    // The three answers stay those of the call as typed.
    Harness plain;
    QVERIFY(plain.start());
    plain.lookUp(call);
    QCOMPARE(h.answers(), plain.answers());
    // Below the answers and beside the logo, inside the window.
    const QRect fourth = h.form->findChild<QLabel *>(QStringLiteral("PortableLabel"))->geometry();
    const QRect logo = h.form->findChild<QLabel *>(QStringLiteral("Logo"))->geometry();
    QVERIFY(fourth.top() >= 175 + 24 && fourth.bottom() < MainForm::ClientHeight);
    QVERIFY(!fourth.intersects(logo));

    h.form->findChild<QAction *>(QStringLiteral("CopyAnswerAction"))->trigger();
    QCOMPARE(QApplication::clipboard()->text(),
             call.toUpper() + '\t' + h.answers().join('\t') + copied);
    QTest::keyClick(h.callEdit(), Qt::Key_Left);
    QCOMPARE(h.text("PortableLabel"), QString());
}

void MainFormTest::activationPreparesTheWindow()
{
    Harness h;
    QWidget queryForm;
    QPlainTextEdit queryMemo(&queryForm);
    h.query.form = &queryForm;
    h.query.memo = &queryMemo;
    h.make();
    h.form->setWindowTitle(QStringLiteral("something else"));
    h.form->show();
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Vorn v3.02"));
    QTRY_VERIFY(!h.form->firstActivation());
    QTRY_COMPARE(QApplication::focusWidget(), h.callEdit());
    // The call field and the query window with its answers turn silver, whatever the background.
    QCOMPARE(h.callEdit()->palette().color(QPalette::Base), QColor(192, 192, 192));
    QCOMPARE(queryForm.palette().color(QPalette::Window), QColor(192, 192, 192));
    QCOMPARE(queryMemo.palette().color(QPalette::Base), QColor(192, 192, 192));
    QCOMPARE(h.state.countries.count(), std::size_t(7));
    QCOMPARE(h.state.bureaus.count(), std::size_t(5));
    QVERIFY(h.log.isEmpty());
}

void MainFormTest::laterActivationsSkipTheStartUp()
{
    Harness h;
    h.make();
    h.settings.updateMode = UpdateMode::Manual;
    h.form->show();
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    QTRY_VERIFY(!h.form->firstActivation());
    QCOMPARE(h.log, QStringList{"check 1 0"});

    h.form->setWindowTitle(QString());
    h.child<QLabel>("map")->move(40, 40);
    h.settings.background = Background::PlainWhite;
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(h.form.get(), &activate);
    QApplication::processEvents();

    QCOMPARE(h.form->windowTitle(), QStringLiteral("Vorn v3.02"));
    QCOMPARE(h.child<QLabel>("map")->pos(), QPoint(0, 0));
    QVERIFY(h.child<QLabel>("map")->isHidden());
    QCOMPARE(h.log, QStringList{"check 1 0"});
}

void MainFormTest::settingsAreReadAndWritten()
{
    Harness h;
    const QString settingsFile = QDir(h.dir.path()).filePath(QStringLiteral("vorn.set"));
    QVERIFY(writeFile(settingsFile, "BB\r\nSD\r\nN-3\r\nR DL1ABC \r\n"));
    QVERIFY(h.start());
    QCOMPARE(h.settings.background, Background::PlainBlue);
    QVERIFY(h.child<QLabel>("map")->isHidden());
    QCOMPARE(h.form->palette().color(QPalette::Window), QColor(0, 0, 128));
    QCOMPARE(h.settings.ownCall, std::string(" DL1ABC "));

    h.settings.speakSort = true;
    h.form->findChild<QAction *>(QStringLiteral("ExitMenu"))->trigger();
    QVERIFY(!h.form->isVisible());
    QCOMPARE(readFile(settingsFile),
             QByteArray("BB\r\nSS\r\nSD\r\nUN\r\nCN\r\nN-3\r\nRDL1ABC\r\n"));
}

void MainFormTest::queryRunsBeforeSpeech()
{
    Harness h;
    QVERIFY(h.start());
    h.settings.qslInfoMode = QslInfoMode::Auto;
    h.settings.speakSort = true;
    h.settings.speakDxcc = true;
    h.lookUp(QStringLiteral("DL1ABC"));
    QVERIFY2(h.log.size() == 4, qPrintable(h.log.join(QLatin1Char('|'))));
    QCOMPARE(h.log.at(0), QStringLiteral("query DL1ABC"));
    QVERIFY(h.log.at(1).startsWith(QStringLiteral("speak sort this Q S L card under , ")));
    QCOMPARE(h.log.at(2), QStringLiteral("sleep 1000"));
    QVERIFY(h.log.at(3).startsWith(QStringLiteral("speak D X C C")));
    QVERIFY(h.log.at(3).endsWith(QStringLiteral("Germany")));
}

// The line below the answers is spoken after them, so a card goes where the Sort log puts it.
void MainFormTest::guestCallSpeaksTheHomePileLast()
{
    Harness h;
    QVERIFY(h.start());
    h.settings.speakSort = true;
    h.lookUp(QStringLiteral("VK2/DL1ABC"));
    QCOMPARE(h.log, (QStringList{"speak sort this Q S L card under , Victor , Kielo , 2 , ",
                                 "sleep 1000", "speak home call , sort under , Delta , Liema , "}));
    h.log.clear();
    h.lookUp(QStringLiteral("DL1ABC/P")); // no line below the answers: nothing more
    QCOMPARE(h.log, (QStringList{"speak sort this Q S L card under , Delta , Liema , "}));
}

void MainFormTest::queryFollowsEveryLookUp()
{
    Harness h;
    QVERIFY(h.start());
    h.settings.qslInfoMode = QslInfoMode::Auto;
    h.lookUp(QStringLiteral("XX1XX"));
    h.lookUp(QStringLiteral("K"));
    h.lookUp(QStringLiteral("  "));
    h.lookUp(QStringLiteral("DL1ABC"));
    // The call goes as the field holds it; the query window shapes it.
    QCOMPARE(h.log, (QStringList{"query XX1XX", "query K", "query DL1ABC"}));

    h.log.clear();
    h.settings.qslInfoMode = QslInfoMode::Manual;
    h.lookUp(QStringLiteral("DL1ABC"));
    QVERIFY(h.log.isEmpty());
}

void MainFormTest::silentWithoutVoiceOrQuery()
{
    Harness h;
    QVERIFY(h.start());
    h.lookUp(QStringLiteral("DL1ABC"));
    QTest::keyClick(h.callEdit(), Qt::Key_Return);
    QVERIFY(h.log.isEmpty());
}

void MainFormTest::secondReturnSpeaksAgain()
{
    Harness h;
    QVERIFY(h.start());
    h.settings.speakBureau = true;
    h.lookUp(QStringLiteral("DL1ABC"));
    QCOMPARE(h.log.size(), 1);
    QVERIFY(h.log.at(0).startsWith(QStringLiteral("speak the Q S L bureau , iss , ")));
    QTest::keyClick(h.callEdit(), Qt::Key_Return);
    QCOMPARE(h.log.size(), 2);
    QCOMPARE(h.log.at(1), h.log.at(0));
}

void MainFormTest::failingSpeechSwitchesVoiceOff()
{
    Harness h;
    QVERIFY(h.start());
    h.engine.works = false;
    h.settings.speakSort = true;
    h.settings.speakBureau = true;
    h.settings.speakDxcc = true;
    h.lookUp(QStringLiteral("DL1ABC"));
    QCOMPARE(h.log.size(), 2);
    QVERIFY(h.log.at(0).startsWith(QStringLiteral("speak sort")));
    QCOMPARE(h.log.at(1), QStringLiteral("warning: Speak not supported"));
    QCOMPARE(h.boxes.details, QStringList{"no voice"});
    QVERIFY(!h.settings.speaksAnything());
    // The answers stay, and the next look-up says nothing.
    QCOMPARE(h.answers(), (QStringList{"DL", "DARC", "Germany"}));
    QTest::keyClick(h.callEdit(), Qt::Key_Return);
    QCOMPARE(h.log.size(), 2);
}

void MainFormTest::backgroundMenuAppliesTheChoice_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("mapShown");
    QTest::newRow("white, OK") << "WhiteButton" << true << int(Background::PlainWhite) << false;
    QTest::newRow("blue, OK") << "BlueButton" << true << int(Background::PlainBlue) << false;
    QTest::newRow("blue, Cancel") << "BlueButton" << false << int(Background::WorldMap) << true;
}

void MainFormTest::backgroundMenuAppliesTheChoice()
{
    QFETCH(QString, button);
    QFETCH(bool, ok);
    QFETCH(int, expected);
    QFETCH(bool, mapShown);

    Harness h;
    QVERIFY(h.start());
    bool answered = false;
    QTimer::singleShot(0, h.form.get(), [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (dialog == nullptr)
            return;
        dialog->findChild<QRadioButton *>(button)->click();
        dialog->findChild<QPushButton *>(ok ? "OkButton" : "CancelButton")->click();
        answered = true;
    });
    h.child<QLabel>("map")->show();
    h.form->findChild<QAction *>(QStringLiteral("BackgroundMenu"))->trigger();
    QVERIFY(answered);
    QCOMPARE(int(h.settings.background), expected);
    QCOMPARE(h.child<QLabel>("map")->isVisible(), mapShown);
    QCOMPARE(h.callEdit()->palette().color(QPalette::Base), QColor(192, 192, 192));
}

namespace {

// The contrast ratio of two colours by their relative luminance, as WCAG 2 defines both.
double contrast(const QColor &one, const QColor &other)
{
    const auto luminance = [](const QColor &colour) {
        const auto linear = [](int channel) {
            const double c = channel / 255.0;
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) +
               0.0722 * linear(colour.blue());
    };
    const double first = luminance(one);
    const double second = luminance(other);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

} // namespace

void MainFormTest::labelsStandOutOnEveryBackground_data()
{
    QTest::addColumn<QByteArray>("settingsLine");
    QTest::newRow("world map") << QByteArray("BM");
    QTest::newRow("plain blue") << QByteArray("BB");
    QTest::newRow("plain white") << QByteArray("BW");
}

// Each caption and answer against what is painted behind it: 4.5 : 1 at least, the least that
// text of this size needs. The map's coastlines and grid are thin lines under the text, so 95 %
// of the pixels behind each label must give it; on a plain colour that is every pixel.
void MainFormTest::labelsStandOutOnEveryBackground()
{
    QFETCH(QByteArray, settingsLine);
    Harness h;
    QVERIFY(writeFile(h.path("vorn.set"), settingsLine + "\r\n"));
    QVERIFY(h.start());
    const QList<QLabel *> labels = {
        h.child<QLabel>("CallLabel"),   h.child<QLabel>("SortLabel"),
        h.child<QLabel>("BureauLabel"), h.child<QLabel>("DxccLabel"),
        h.child<QLabel>("PrefixLabel"), h.child<QLabel>("ResultLabel"),
        h.child<QLabel>("InfoLabel"),   h.child<QLabel>("PortableLabel")};
    for (QLabel *label : labels)
        label->hide();
    const QImage backdrop = h.form->grab().toImage();
    for (QLabel *label : labels) {
        const QColor text = label->palette().color(label->foregroundRole());
        const QRect area(label->mapTo(h.form.get(), QPoint(0, 0)), label->size());
        std::vector<double> ratios;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                ratios.push_back(contrast(text, backdrop.pixelColor(x, y)));
        }
        std::ranges::sort(ratios);
        const double fifthPercentile = ratios[ratios.size() / 20];
        QVERIFY2(fifthPercentile >= 4.5,
                 qPrintable(QStringLiteral("%1: %2 : 1")
                                .arg(label->objectName(), QString::number(fifthPercentile))));
        // The figures of each label, for the map, whose pixels differ.
        qInfo("%s: %.2f : 1 for 95 %% of its pixels, %.2f : 1 at the median, %.2f : 1 at the least",
              qPrintable(label->objectName()), fifthPercentile, ratios[ratios.size() / 2],
              ratios.front());
    }
}

void MainFormTest::voiceMenuStoresTheChoice()
{
    Harness h;
    QVERIFY(h.start());
    h.settings.speakSort = true;
    bool answered = false;
    QTimer::singleShot(0, h.form.get(), [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (dialog == nullptr)
            return;
        dialog->findChild<QCheckBox *>(QStringLiteral("SortBox"))->setChecked(false);
        dialog->findChild<QCheckBox *>(QStringLiteral("DxccBox"))->setChecked(true);
        dialog->findChild<QPushButton *>(QStringLiteral("OkButton"))->click();
        answered = true;
    });
    h.form->findChild<QAction *>(QStringLiteral("SpeakMenu"))->trigger();
    QVERIFY(answered);
    QVERIFY(!h.settings.speakSort);
    QVERIFY(!h.settings.speakBureau);
    QVERIFY(h.settings.speakDxcc);
}

void MainFormTest::laterMenuCommandsReachTheirSeams()
{
    Harness h;
    QVERIFY(h.start());
    h.form->findChild<QAction *>(QStringLiteral("UpdateMenu"))->trigger();
    h.form->findChild<QAction *>(QStringLiteral("DatabaseMenu"))->trigger();
    QCOMPARE(h.log, (QStringList{"update menu", "database settings"}));
    QVERIFY(h.form->isVisible());
}

void MainFormTest::helpOpensTheViewer()
{
    Harness h;
    QVERIFY(h.start());
    QVERIFY(writeFile(QDir(h.dir.path()).filePath(QStringLiteral("vorn.hlp")),
                      "<html><body><h1>Vorn help</h1></body></html>"));
    h.form->findChild<QAction *>(QStringLiteral("HelpMenu"))->trigger();
    auto *viewer = h.form->findChild<HelpViewer *>();
    QVERIFY(viewer != nullptr);
    QTRY_VERIFY(viewer->isVisible());
    QVERIFY(viewer->isWindow());
    QVERIFY(h.log.isEmpty());
}

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
