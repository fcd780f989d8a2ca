// The help tells the keys the program really has: its keyboard section against the access keys
// and shortcuts of the main window's menus; and F1 in the Sort log window opens the help at the
// section about that window.

#include "support/MainFormHarness.h"
#include "ui/help/HelpViewer.h"
#include "ui/sortlog/SortLogForm.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocumentFragment>

namespace {

const QString ShippedHelp = QStringLiteral(VORN_SHIPPED_FILES "/vorn.hlp");

QString plainText(const QString &html)
{
    return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}

// "Alt+S, B = Settings > Background" for each key and menu command of the help's keyboard
// section: the rows whose command is marked class="command".
QStringList helpKeys(const QString &help)
{
    const qsizetype start = help.indexOf(QStringLiteral("<a name=\"keyboard\">"));
    const qsizetype end = help.indexOf(QStringLiteral("<h2"), start);
    const QString section = help.mid(start, end < 0 ? -1 : end - start);
    const QRegularExpression row(QStringLiteral("<tr>(.*?)</tr>"),
                                 QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression keysCell(QStringLiteral("^\\s*<td>(.*?)</td>"),
                                      QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression command(QStringLiteral("<(td|span) class=\"command\">(.*?)</\\1>"),
                                     QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression key(QStringLiteral("<kbd>(.*?)</kbd>"));
    QStringList pairs;
    for (const QRegularExpressionMatch &line : row.globalMatch(section)) {
        const QRegularExpressionMatch named = command.match(line.captured(1));
        if (!named.hasMatch())
            continue;
        const QString what = plainText(named.captured(2));
        for (const QString &alternative :
             keysCell.match(line.captured(1)).captured(1).split(QStringLiteral(" or "))) {
            QStringList keys;
            for (const QRegularExpressionMatch &pressed : key.globalMatch(alternative))
                keys << pressed.captured(1);
            pairs << keys.join(QStringLiteral(", ")) + QStringLiteral(" = ") + what;
        }
    }
    pairs.sort();
    return pairs;
}

QString withoutAccessKey(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
}

QString portable(const QKeySequence &keys)
{
    return keys.toString(QKeySequence::PortableText);
}

// The same pairs from the menus: Alt with the access key of each entry of the menu bar, that
// key followed by the access key of each entry of its menu, and each shortcut.
QStringList menuKeys(QMenuBar *bar)
{
    QStringList pairs;
    const auto add = [&pairs](const QString &keys, const QString &command) {
        if (!keys.isEmpty())
            pairs << keys + QStringLiteral(" = ") + command;
    };
    for (const QAction *entry : bar->actions()) {
        const QString name = withoutAccessKey(entry->text());
        const QString alt = portable(QKeySequence::mnemonic(entry->text()));
        add(alt, name);
        add(portable(entry->shortcut()), name);
        if (entry->menu() == nullptr)
            continue;
        for (const QAction *item : entry->menu()->actions()) {
            const QString path = name + QStringLiteral(" > ") + withoutAccessKey(item->text());
            const QString letter =
                portable(QKeySequence::mnemonic(item->text())).remove(QStringLiteral("Alt+"));
            add(letter.isEmpty() ? QString() : alt + QStringLiteral(", ") + letter, path);
            add(portable(item->shortcut()), path);
        }
    }
    pairs.sort();
    return pairs;
}

} // namespace

class HelpKeysTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keyboardSectionTellsTheMenusKeys();
    void f1InTheSortLogWindowOpensItsSection();
};

void HelpKeysTest::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
}

void HelpKeysTest::keyboardSectionTellsTheMenusKeys()
{
    QFile file(ShippedHelp);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList told = helpKeys(QString::fromUtf8(file.readAll()));
    QVERIFY(told.size() >= 5);
    Harness h;
    h.make();
    QCOMPARE(told, menuKeys(h.form->menuBar()));
}

void HelpKeysTest::f1InTheSortLogWindowOpensItsSection()
{
    Harness h;
    QVERIFY(QFile::copy(ShippedHelp, h.path("vorn.hlp")));
    QVERIFY(h.start());
    h.child<QAction>("SortLogMenu")->trigger();
    auto *sortLog = h.form->findChild<SortLogForm *>();
    QVERIFY(sortLog != nullptr);
    sortLog->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), sortLog);
    QTest::keyClick(sortLog->focusWidget(), Qt::Key_F1);

    auto *viewer = h.form->findChild<HelpViewer *>();
    QVERIFY(viewer != nullptr);
    QTRY_VERIFY(viewer->isVisible());
    auto *browser = viewer->findChild<QTextBrowser *>();
    QCOMPARE(browser->source().fragment(), QStringLiteral("sortlog"));
    // Scrolled down to the section, which lies far below the top.
    QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);
    const QRect shown = browser->viewport()->rect();
    // The section's heading, not its line in the contents.
    QTextBlock block = browser->document()->begin();
    while (block.isValid() && !(block.blockFormat().headingLevel() == 2 &&
                                block.text().endsWith(QStringLiteral("Sorting a whole log"))))
        block = block.next();
    QVERIFY(block.isValid());
    const QTextCursor heading(block);
    QVERIFY(shown.contains(browser->cursorRect(heading).center()));
}

QTEST_MAIN(HelpKeysTest)
#include "HelpKeysTest.moc"
