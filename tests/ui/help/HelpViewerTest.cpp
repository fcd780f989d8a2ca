#include "ui/help/HelpViewer.h"

#include "support/DialogTestSupport.h"
#include "support/TestDataFiles.h"

#include <QAccessible>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

namespace {

// A page long enough to scroll, with a link at its top to an anchor at its bottom.
QByteArray longHelpPage(const QByteArray &title)
{
    QByteArray page = "<html><head><title>" + title + "</title></head><body>\n<h1>" + title +
                      "</h1>\n<p><a href=\"#last\">Last section</a></p>\n";
    for (int i = 1; i <= 120; ++i)
        page += "<p>Paragraph " + QByteArray::number(i) + " of the help text.</p>\n";
    page += "<h2><a name=\"last\"></a>The last section</h2>\n<p>End of help.</p>\n</body></html>\n";
    return page;
}

} // namespace

class HelpViewerTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void window();
    void showsFileAtItsTop();
    void internalLinkScrollsToItsAnchor();
    void reopeningReadsTheFileAgain();
    void unreadableFileSaidInside_data();
    void unreadableFileSaidInside();
    void escapeCloses();
    void accessibleTexts();

private:
    QTemporaryDir *m_dir = nullptr;
    HelpViewer *m_viewer = nullptr;
    QTextBrowser *m_browser = nullptr;
};

void HelpViewerTest::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_viewer = new HelpViewer;
    m_browser = m_viewer->findChild<QTextBrowser *>();
    QVERIFY(m_browser != nullptr);
}

void HelpViewerTest::cleanup()
{
    delete m_viewer;
    delete m_dir;
}

void HelpViewerTest::window()
{
    QCOMPARE(m_viewer->windowTitle(), QStringLiteral("Vorn v3.02 : Help"));
    QVERIFY(m_viewer->isWindow());
    QCOMPARE(m_viewer->windowModality(), Qt::NonModal);
    // Resizable: no fixed size.
    QVERIFY(m_viewer->minimumSize() != m_viewer->maximumSize());
    QVERIFY(m_viewer->width() >= 400 && m_viewer->height() >= 300);
    // Screen readers present it as a window of its own.
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(m_viewer);
    QVERIFY(accessible != nullptr);
    QCOMPARE(accessible->role(), QAccessible::Window);
}

void HelpViewerTest::showsFileAtItsTop()
{
    const QString path = m_dir->filePath(QStringLiteral("vorn.hlp"));
    QVERIFY(writeFile(path, longHelpPage("Vorn help")));

    QVERIFY(m_viewer->isHidden());
    m_viewer->showContents(path);
    QVERIFY(QTest::qWaitForWindowExposed(m_viewer));
    QVERIFY(m_viewer->isVisible());
    QVERIFY(m_browser->toPlainText().startsWith(QStringLiteral("Vorn help")));
    QVERIFY(m_browser->toPlainText().contains(QStringLiteral("Paragraph 120")));
    QVERIFY(m_browser->verticalScrollBar()->maximum() > 0);
    QCOMPARE(m_browser->verticalScrollBar()->value(), 0);

    // Shown again after the user scrolled away: back at the top.
    m_browser->verticalScrollBar()->setValue(m_browser->verticalScrollBar()->maximum());
    m_viewer->showContents(path);
    QCOMPARE(m_browser->verticalScrollBar()->value(), 0);
}

void HelpViewerTest::internalLinkScrollsToItsAnchor()
{
    const QString path = m_dir->filePath(QStringLiteral("vorn.hlp"));
    QVERIFY(writeFile(path, longHelpPage("Vorn help")));
    m_viewer->showContents(path);
    QVERIFY(QTest::qWaitForWindowExposed(m_viewer));

    // By keyboard, as without a mouse: Tab to the first link, Return follows it.
    QTest::keyClick(m_browser, Qt::Key_Tab);
    QCOMPARE(m_browser->textCursor().selectedText(), QStringLiteral("Last section"));
    QTest::keyClick(m_browser, Qt::Key_Return);
    QTRY_VERIFY(m_browser->verticalScrollBar()->value() > 0);
    QVERIFY(m_browser->source().toString().endsWith(QStringLiteral("#last")));
    QVERIFY(m_browser->toPlainText().startsWith(QStringLiteral("Vorn help")));

    // Back returns to the top of the page.
    QVERIFY(m_browser->isBackwardAvailable());
    m_browser->backward();
    QTRY_COMPARE(m_browser->verticalScrollBar()->value(), 0);
}

void HelpViewerTest::reopeningReadsTheFileAgain()
{
    const QString path = m_dir->filePath(QStringLiteral("vorn.hlp"));
    QVERIFY(writeFile(path, "<html><body><p>First edition</p></body></html>"));
    m_viewer->showContents(path);
    QVERIFY(m_browser->toPlainText().contains(QStringLiteral("First edition")));

    QVERIFY(writeFile(path, "<html><body><p>Second edition</p></body></html>"));
    m_viewer->showContents(path);
    QVERIFY(m_browser->toPlainText().contains(QStringLiteral("Second edition")));
    QVERIFY(!m_browser->isBackwardAvailable());
}

void HelpViewerTest::unreadableFileSaidInside_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("makeFolder");

    QTest::newRow("missing file") << "vorn.hlp" << false;
    QTest::newRow("folder in its place") << "vorn.hlp" << true;
    QTest::newRow("missing, odd name") << "no such help.hlp" << false;
}

void HelpViewerTest::unreadableFileSaidInside()
{
    QFETCH(QString, name);
    QFETCH(bool, makeFolder);

    // A good file first, so that the report must replace it.
    const QString good = m_dir->filePath(QStringLiteral("good.hlp"));
    QVERIFY(writeFile(good, longHelpPage("Good page")));
    m_viewer->showContents(good);

    const QString path = m_dir->filePath(name);
    if (makeFolder)
        QVERIFY(QDir(m_dir->path()).mkdir(name));
    m_viewer->showContents(path);
    QVERIFY(m_viewer->isVisible());
    const QString shown = m_browser->toPlainText();
    QVERIFY2(shown.contains(QStringLiteral("could not be opened")), qPrintable(shown));
    QVERIFY2(shown.contains(QDir::toNativeSeparators(path)), qPrintable(shown));
    QVERIFY(!shown.contains(QStringLiteral("Good page")));
}

void HelpViewerTest::escapeCloses()
{
    const QString path = m_dir->filePath(QStringLiteral("vorn.hlp"));
    QVERIFY(writeFile(path, longHelpPage("Vorn help")));
    m_viewer->showContents(path);
    QVERIFY(QTest::qWaitForWindowActive(m_viewer));
    QTest::keyClick(m_browser, Qt::Key_Escape);
    QVERIFY(!m_viewer->isVisible());

    // The same window opens again for the next Help command.
    m_viewer->showContents(path);
    QVERIFY(m_viewer->isVisible());
}

void HelpViewerTest::accessibleTexts()
{
    QCOMPARE(controlsWithoutAccessibleText({m_browser}), QStringList());
}

QTEST_MAIN(HelpViewerTest)
#include "HelpViewerTest.moc"
