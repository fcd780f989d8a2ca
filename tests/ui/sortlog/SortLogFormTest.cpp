// The "Sort log" window over the main window's test data: the tree and its counts, the choice
// of QSOs, the CSV, "Mark as sent", the sheet and the labels.

#include "ui/sortlog/SortLogForm.h"

#include "core/shell/AppState.h"
#include "logbook/PileListing.h"
#include "support/TestDataFiles.h"
#include "ui/sortlog/LabelForm.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <memory>
#include <sstream>
#include <sys/mount.h>

namespace {

// DL, the US call areas, Australia, North Korea (no bureau), Monaco (bureau outside the IARU).
const QByteArray Log = "Test log\r\n<ADIF_VER:5>3.1.4<EOH>\r\n"
                       "<CALL:6>DL1ABC<BAND:3>20M<QSL_SENT:1>Q<EOR>\r\n"
                       "<CALL:6>DL1ABC<BAND:3>40M<QSL_SENT:1>Q<EOR>\r\n"
                       "<CALL:5>DA0XX<QSL_VIA:10>mgr DL1ABC<QSL_SENT:1>Q<EOR>\r\n"
                       "<CALL:4>W1AW<QSL_SENT:1>R<EOR>\r\n"
                       "<CALL:5>K4ABC<QSL_SENT:1>Q<EOR>\r\n"
                       "<CALL:5>VK2XX<QSL_SENT:1>Q<QSL_SENT_VIA:1>D<EOR>\r\n"
                       "<CALL:5>3A2XX<QSL_SENT:1>Q<EOR>\r\n"
                       "<CALL:4>P5AB<QSL_SENT:1>Q<EOR>\r\n"
                       "<CALL:5>XX1XX<QSL_SENT:1>Q<EOR>\r\n"
                       "<CALL:4>W2AA<QSL_SENT:1>Y<EOR>\r\n";

// The text of a PDF in the order it was drawn, pages separated by form feeds.
QString pdfText(const QString &pdf, const char *tool = "pdftotext")
{
    QProcess process;
    process.start(QLatin1String(tool), tool == QByteArray("pdftotext")
                                           ? QStringList{"-raw", pdf, "-"}
                                           : QStringList{pdf});
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return QStringLiteral("(%1 failed: %2)").arg(tool, process.errorString());
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The window over the main window's test data, loaded as the program loads them.
struct SortWindow
{
    QTemporaryDir dir;
    AppState state{dir.path().toStdString()};
    std::unique_ptr<SortLogForm> form;

    bool start()
    {
        if (!dir.isValid() || !writeDataFiles(QDir(dir.path())) || !state.load(DataFile::Country) ||
            !state.load(DataFile::Bureau))
            return false;
        form = std::make_unique<SortLogForm>(state);
        form->show();
        return QTest::qWaitForWindowExposed(form.get());
    }

    QString path(const char *name) const { return QDir(dir.path()).filePath(QLatin1String(name)); }
};

} // namespace

class SortLogFormTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void treeShowsThePilesWithCounts_data();
    void treeShowsThePilesWithCounts();
    void aLogWithNothingWaitingSaysHowToSeeIt();
    void csvHoldsOneRowPerCard();
    void markAsSentWritesANewFileOnly();
    void markAsSentLeavesCardsThatAreNotWaiting();
    void markOntoTheLogIsRefusedBeforeReplacing();
    void markAsSentNeedsTheWholeLog();
    void markAsSentRefusesALogChangedOnDisk();
    void unreadableLogIsNamed();
    void whatIsNoLogIsRefused_data();
    void whatIsNoLogIsRefused();
    void labelsHoldTheCardsAndTheirQsos_data();
    void labelsHoldTheCardsAndTheirQsos();
    void labelsGoOnTheSheetThePlanSays_data();
    void labelsGoOnTheSheetThePlanSays();
    void labelsKeepOffTheEdgeAndCutNoCall_data();
    void labelsKeepOffTheEdgeAndCutNoCall();
    void labelOptionsAreRemembered();
    void sheetPagesAreCounted();
    void aFullDiskKeepsTheOldPdfs();
    void longFirstPileStartsOnTheFirstPage();
    void dialogsStartBesideTheLog_data();
    void dialogsStartBesideTheLog();
    void aListOfCallsCannotBeMarked();
    void markedLogFileGetsTheLogsExtension_data();
    void markedLogFileGetsTheLogsExtension();
    void aHugeNoteDoesNotWidenTheWindow();
    void findNarrowsThePilesToTheCards();
    void aCardOpensOnItsQsosByKeyboard();
    void aSecondWindowOpensBesideTheFirst();

private:
    SortLogForm *openedWindow();
    SortLogForm *sortedForm(bool everyQso = false);
    // Writes a file beside the log and opens it in the window; the window once it is read.
    SortLogForm *openedForm(const char *name, const QByteArray &bytes);
    // Mark as sent to the end: whether the file was written.
    static bool marked(SortLogForm *form, const QString &path);
    QString status(SortLogForm *form) const;
    QStringList pileRows(SortLogForm *form) const;
    // The form's labels on that sheet, saved as a PDF beside the log; empty when not saved.
    QString labelPdf(SortLogForm *form, const std::string &sheet,
                     const std::string &ownCall = {}) const;

    std::unique_ptr<SortWindow> m_window;
    QString m_log;
};

void SortLogFormTest::init()
{
    QApplication::setQuitOnLastWindowClosed(false);
    m_window = std::make_unique<SortWindow>();
    QVERIFY(m_window->start());
    m_log = m_window->path("log.adi");
    QVERIFY(writeFile(m_log, Log));
}

void SortLogFormTest::cleanup()
{
    m_window.reset();
}

SortLogForm *SortLogFormTest::openedWindow()
{
    return m_window->form.get();
}

SortLogForm *SortLogFormTest::sortedForm(bool everyQso)
{
    SortLogForm *form = openedWindow();
    if (form == nullptr || !form->isVisible())
        return nullptr;
    form->findChild<QCheckBox *>(QStringLiteral("EveryQsoCheck"))->setChecked(everyQso);
    QSignalSpy sorted(form, &SortLogForm::logSorted);
    form->openLog(m_log);
    return sorted.wait(5000) ? form : nullptr;
}

SortLogForm *SortLogFormTest::openedForm(const char *name, const QByteArray &bytes)
{
    SortLogForm *form = openedWindow();
    if (form == nullptr || !writeFile(m_window->path(name), bytes))
        return nullptr;
    QSignalSpy sorted(form, &SortLogForm::logSorted);
    form->openLog(m_window->path(name));
    return sorted.wait(5000) ? form : nullptr;
}

bool SortLogFormTest::marked(SortLogForm *form, const QString &path)
{
    QSignalSpy ended(form, &SortLogForm::logMarked);
    if (!form->markAsSent(path, QDate(2024, 5, 1)) || (ended.isEmpty() && !ended.wait(5000)))
        return false;
    return ended.first().first().toBool();
}

QString SortLogFormTest::status(SortLogForm *form) const
{
    return form->findChild<QLabel *>(QStringLiteral("StatusLabel"))->text();
}

// "title cards qsos" for each pile, as the tree shows them.
QStringList SortLogFormTest::pileRows(SortLogForm *form) const
{
    const QAbstractItemModel *model = form->findChild<QTreeView *>()->model();
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (const int column : {0, 2, 3})
            cells << model->index(row, column).data().toString();
        rows << cells.join(' ');
    }
    return rows;
}

QString SortLogFormTest::labelPdf(SortLogForm *form, const std::string &sheet,
                                  const std::string &ownCall) const
{
    LabelOptions options;
    options.sheet = sheet;
    options.ownCall = ownCall;
    LabelForm *labels = form->labelForm();
    labels->setOptions(options);
    const QString pdf = m_window->path("labels.pdf");
    return labels->saveAsPdf(pdf) ? pdf : QString();
}

void SortLogFormTest::treeShowsThePilesWithCounts_data()
{
    QTest::addColumn<bool>("everyQso");
    QTest::addColumn<QStringList>("piles");
    QTest::addColumn<QString>("totals");

    QTest::newRow("waiting") << false
                             << QStringList{"DL 2 3", "K1 1 1",   "K4 1 1",
                                            "3A 1 1", "none 1 1", "unknown or incomplete 1 1"}
                             << "4 cards (5 QSOs) in 3 bureau piles; set apart: 3 cards (3 QSOs). "
                                "10 QSOs read, 8 counted.";
    QTest::newRow("every QSO")
        << true << QStringList{"DL 2 3",  "K1 1 1", "K2 1 1",   "K4 1 1",
                               "VK2 1 1", "3A 1 1", "none 1 1", "unknown or incomplete 1 1"}
        << "6 cards (7 QSOs) in 5 bureau piles; set apart: 3 cards (3 QSOs). 10 QSOs read, 10 "
           "counted.";
}

void SortLogFormTest::treeShowsThePilesWithCounts()
{
    QFETCH(bool, everyQso);
    QFETCH(QStringList, piles);
    QFETCH(QString, totals);
    SortLogForm *form = sortedForm(everyQso);
    QVERIFY(form);
    QCOMPARE(pileRows(form), piles);
    QCOMPARE(form->findChild<QLabel *>(QStringLiteral("TotalsLabel"))->text(), totals);

    // The manager's card lies in his pile, and the tree is ready for the keyboard.
    auto *tree = form->findChild<QTreeView *>();
    const QModelIndex dl = tree->model()->index(0, 0);
    QCOMPARE(tree->model()->index(0, 0, dl).data().toString(), QStringLiteral("DA0XX"));
    QCOMPARE(tree->model()->index(0, 1, dl).data().toString(), QStringLiteral("DL1ABC"));
    QCOMPARE(tree->currentIndex(), dl);
    QVERIFY(tree->hasFocus() || !form->isActiveWindow());

    // The other choice is shown at once, without reading again.
    form->findChild<QCheckBox *>(QStringLiteral("EveryQsoCheck"))->setChecked(!everyQso);
    QVERIFY(pileRows(form) != piles);
}

void SortLogFormTest::aLogWithNothingWaitingSaysHowToSeeIt()
{
    SortLogForm *form = openedForm("sent.adi", "<CALL:6>DL1ABC <QSL_SENT:1>Y <EOR>\n"
                                               "<CALL:4>W1AW <QSL_SENT:1>N <EOR>\n");
    QVERIFY(form);
    QVERIFY(status(form).contains("Every QSO"));
    form->findChild<QCheckBox *>(QStringLiteral("EveryQsoCheck"))->setChecked(true);
    QCOMPARE(pileRows(form), QStringList({"DL 1 1", "K1 1 1"}));
    QCOMPARE(status(form), QString());
}

void SortLogFormTest::csvHoldsOneRowPerCard()
{
    SortLogForm *form = sortedForm();
    QVERIFY(form);
    const QString csv = m_window->path("piles.csv");
    QVERIFY(form->exportCsv(csv));
    QCOMPARE(readFile(csv), QByteArray("sort_prefix,bureau,entity,call,via,qsos\r\n"
                                       "DL,DARC,Germany,DA0XX,DL1ABC,1\r\n"
                                       "DL,DARC,Germany,DL1ABC,,2\r\n"
                                       "K1,ARRL - call area 1,United States,W1AW,,1\r\n"
                                       "K4,ARRL - call area 4a,United States,K4ABC,,1\r\n"
                                       "3A,Test bureau (non IARU),Monaco,3A2XX,,1\r\n"
                                       ",none,North Korea,P5AB,,1\r\n"
                                       "unknown,unknown,unknown,XX1XX,,1\r\n"));
}

void SortLogFormTest::markAsSentWritesANewFileOnly()
{
    SortLogForm *form = sortedForm();
    QVERIFY(form);
    const QString sent = m_window->path("log-sent.adi");
    QVERIFY(marked(form, sent));
    QCOMPARE(readFile(m_log), Log);
    const QByteArray written = readFile(sent);
    const QByteArray mark = "<QSL_SENT:1>Y <QSL_SENT_VIA:1>B <QSLSDATE:8>20240501 <EOR>";
    QCOMPARE(written.count(mark), 5); // the QSOs of DL, K1 and K4
    QVERIFY(written.contains("<CALL:4>P5AB <QSL_SENT:1>Q <EOR>"));
    QVERIFY(written.contains("<CALL:5>VK2XX <QSL_SENT:1>Q <QSL_SENT_VIA:1>D <EOR>"));

    QVERIFY(!marked(form, m_log));
    QCOMPARE(readFile(m_log), Log);
    QVERIFY(status(form).contains("never"));
}

void SortLogFormTest::markAsSentLeavesCardsThatAreNotWaiting()
{
    // Every QSO shows the cards sent long ago too; their QSOs keep their QSL state.
    SortLogForm *form = sortedForm(true);
    QVERIFY(form);
    const QString sent = m_window->path("log-sent.adi");
    QVERIFY(marked(form, sent));
    const QByteArray written = readFile(sent);
    QCOMPARE(written.count("<QSLSDATE:8>20240501"), 5);
    QVERIFY(written.contains("<CALL:4>W2AA <QSL_SENT:1>Y <EOR>"));
    QVERIFY(written.contains("<CALL:5>VK2XX <QSL_SENT:1>Q <QSL_SENT_VIA:1>D <EOR>"));
    QCOMPARE(status(form), "Wrote " + QDir::toNativeSeparators(sent) +
                               ": marked 5 QSOs as sent via the bureau; left 5 as they were: 1 "
                               "sent already, 1 sent direct, electronically or via a manager, 3 "
                               "not in a bureau pile. log.adi is unchanged.");
}

void SortLogFormTest::markOntoTheLogIsRefusedBeforeReplacing()
{
    SortLogForm *form = sortedForm();
    QVERIFY(form);
    QString target;
    QStringList asked;
    bool replace = false;
    form->setMarkQuestions({[&target](const QString &) { return target; },
                            [&asked, &replace](const QString &file) {
                                asked << file;
                                return replace;
                            }});
    auto *mark = form->findChild<QPushButton *>(QStringLiteral("MarkButton"));

    // The log itself, by its name and by another, is refused without a question.
    for (const QString &self : {m_log, m_window->path(".") + "/log.adi"}) {
        target = self;
        mark->click();
        QCOMPARE(asked, QStringList());
        QVERIFY2(status(form).startsWith("Vorn never writes over the log it read"),
                 qPrintable(status(form)));
        QCOMPARE(readFile(m_log), Log);
    }

    // Another file that exists is replaced only when the user says so.
    target = m_window->path("other.adi");
    QVERIFY(writeFile(target, "keep"));
    mark->click();
    QCOMPARE(asked, QStringList{target});
    QCOMPARE(readFile(target), QByteArray("keep"));
    replace = true;
    QSignalSpy ended(form, &SortLogForm::logMarked);
    mark->click();
    QVERIFY(!ended.isEmpty() || ended.wait(5000));
    QVERIFY(readFile(target).contains("<QSL_SENT_VIA:1>B"));
}

void SortLogFormTest::markAsSentNeedsTheWholeLog()
{
    // One byte that is not UTF-8 spoils its record only; the rest is sorted.
    SortLogForm *form =
        openedForm("log.adx", "<?xml version=\"1.0\"?><ADX><RECORDS>\n"
                              "<RECORD><CALL>DL1ABC</CALL><QSL_SENT>Q</QSL_SENT></RECORD>\n"
                              "<RECORD><CALL>W1AW</CALL><NAME>J\xF6rg</NAME></RECORD>\n"
                              "<RECORD><CALL>K4ABC</CALL><QSL_SENT>Q</QSL_SENT></RECORD>\n"
                              "</RECORDS></ADX>\n");
    QVERIFY(form);
    QCOMPARE(form->sortedLog().entries, std::size_t{2});
    QCOMPARE(status(form), QStringLiteral("1 damaged record could not be read and was skipped."));

    bool asked = false;
    form->setMarkQuestions({[&asked](const QString &) {
                                asked = true;
                                return QString();
                            },
                            [](const QString &) { return true; }});
    form->findChild<QPushButton *>(QStringLiteral("MarkButton"))->click();
    QVERIFY(!asked);
    QCOMPARE(status(form), QStringLiteral("Mark as sent writes the whole log back, but 1 damaged "
                                          "record of log.adx could not be read. Mend the log or "
                                          "export it again from the logger, then open it anew."));
    const QString sent = m_window->path("log-sent.adi");
    QVERIFY(!marked(form, sent));
    QVERIFY(!QFileInfo::exists(sent));
}

void SortLogFormTest::markAsSentRefusesALogChangedOnDisk()
{
    // The window keeps no fields: it reads the log again, and the log must still be the one
    // that was sorted.
    SortLogForm *form = sortedForm();
    QVERIFY(form);
    QVERIFY(writeFile(m_log, Log + "<CALL:6>DL9ZZZ<QSL_SENT:1>Q<EOR>\r\n"));
    const QString sent = m_window->path("log-sent.adi");
    QVERIFY(!marked(form, sent));
    QVERIFY(!QFileInfo::exists(sent));
    QVERIFY2(status(form).contains("has changed since it was sorted"), qPrintable(status(form)));
    QVERIFY(form->findChild<QPushButton *>(QStringLiteral("MarkButton"))->isEnabled());
}

void SortLogFormTest::unreadableLogIsNamed()
{
    SortLogForm *form = openedWindow();
    QVERIFY(form);
    QSignalSpy sorted(form, &SortLogForm::logSorted);
    const QString missing = m_window->path("missing.adi");
    form->openLog(missing);
    QVERIFY(sorted.wait(5000));
    QCOMPARE(status(form), "Cannot read " + missing + ": No such file or directory");
    QVERIFY(!form->findChild<QPushButton *>(QStringLiteral("MarkButton"))->isEnabled());
}

void SortLogFormTest::whatIsNoLogIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("why");
    QTest::newRow("picture") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0", 20)
                             << "it holds binary data, not text";
    QTest::newRow("the window's own CSV")
        << QByteArray("sort_prefix,bureau,entity,call,via,qsos\r\n"
                      "DL,DARC,Germany,DA0XX,DL1ABC,1\r\nDL,DARC,Germany,DL1ABC,,2\r\n"
                      "K1,ARRL - call area 1,United States,W1AW,,1\r\n")
        << "it is neither ADIF nor ADX, nor a list of calls";
}

void SortLogFormTest::whatIsNoLogIsRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    SortLogForm *form = openedForm("log.png", bytes);
    QVERIFY(form);
    QCOMPARE(status(form), "Cannot sort " + m_window->path("log.png") + ": " + why +
                               " (Vorn sorts ADIF, ADX and lists of calls)");
    QCOMPARE(form->findChild<QTreeView *>()->model()->rowCount(), 0);
    for (const char *button : {"MarkButton", "ExportButton"})
        QVERIFY(!form->findChild<QPushButton *>(QLatin1String(button))->isEnabled());
}

void SortLogFormTest::labelsHoldTheCardsAndTheirQsos_data()
{
    QTest::addColumn<bool>("letter");
    QTest::addColumn<QString>("paper");
    QTest::newRow("A4, 3 x 8") << false << "(A4)";
    QTest::newRow("US Letter, Avery 5160") << true << "(letter)";
}

void SortLogFormTest::labelsHoldTheCardsAndTheirQsos()
{
    QFETCH(bool, letter);
    QFETCH(QString, paper);
    SortLogForm *form = sortedForm();
    QVERIFY(form);
    const QString pdf = labelPdf(form, letter ? "letter-3x10" : "a4-3x8");
    QVERIFY(!pdf.isEmpty());
    QVERIFY(pdfText(pdf, "pdfinfo").contains(paper));

    // Pile headings and cards in pile order; the manager's card is routed to him; each QSO on
    // a line of its own with a request for his card.
    const QString text = pdfText(pdf);
    qsizetype at = 0;
    for (const char *expected : {"DL\n", "DARC", "2 cards, 3 QSOs", "DA0XX via DL1ABC", "DL1ABC",
                                 "20M", "PSE QSL", "40M", "PSE QSL", "K1\n", "W1AW", "3A\n",
                                 "3A2XX", "none\n", "P5AB", "unknown or incomplete\n", "XX1XX"}) {
        const QString part = QLatin1String(expected);
        const qsizetype found = text.indexOf(part, at);
        QVERIFY2(found >= 0, qPrintable(part + " after " + QString::number(at) + " in " + text));
        at = found + part.size();
    }
}

void SortLogFormTest::labelsGoOnTheSheetThePlanSays_data()
{
    QTest::addColumn<bool>("letter");
    QTest::addColumn<int>("cards"); // of one pile: a heading label and a label per card
    QTest::addColumn<int>("sheets");
    QTest::newRow("A4, 24 labels") << false << 23 << 1;
    QTest::newRow("A4, 25 labels") << false << 24 << 2;
    QTest::newRow("Letter, 30 labels") << true << 29 << 1;
    QTest::newRow("Letter, 31 labels") << true << 30 << 2;
}

void SortLogFormTest::labelsGoOnTheSheetThePlanSays()
{
    QFETCH(bool, letter);
    QFETCH(int, cards);
    QFETCH(int, sheets);
    QByteArray log;
    for (int i = 0; i < cards; ++i)
        log += "<CALL:6>DL" + QByteArray::number(1000 + i) + "<EOR>";
    QVERIFY(writeFile(m_log, log));
    SortLogForm *form = sortedForm(true);
    QVERIFY(form);
    const QString pdf = labelPdf(form, letter ? "letter-3x10" : "a4-3x8");
    QVERIFY(!pdf.isEmpty());
    const QStringList pages = pdfText(pdf).split('\f', Qt::SkipEmptyParts);
    QCOMPARE(pages.size(), sheets);
    // The last card is on the last sheet, and on no other.
    const QString last = QStringLiteral("DL%1").arg(1000 + cards - 1);
    QVERIFY2(pages.last().contains(last), qPrintable(pages.last()));
    QCOMPARE(pdfText(pdf).count(last), 1);
}

void SortLogFormTest::labelsKeepOffTheEdgeAndCutNoCall_data()
{
    QTest::addColumn<QString>("sheet");
    for (const LabelStock &stock : labelStocks())
        QTest::newRow(stock.name.data()) << QString::fromUtf8(stock.name.data(), stock.name.size());
}

// Every sheet: no word nearer than 4 mm to the paper's edge (the labels at the edge of the 3 x 8
// sheet had theirs at 3 mm), and a long call with a long manager printed whole, with the tag of
// its pile, where it was cut with an ellipsis.
void SortLogFormTest::labelsKeepOffTheEdgeAndCutNoCall()
{
    QFETCH(QString, sheet);
    QByteArray log = Log;
    for (int i = 0; i < 40; ++i) // enough cards to fill the first sheet's edges
        log += "<CALL:6>DL" + QByteArray::number(1000 + i) + "<QSL_SENT:1>Q<EOR>\r\n";
    log += "<CALL:15>VP2V/DL2ABCD/MM<QSL_VIA:9>VE3ABCDEF<QSL_SENT:1>Q<EOR>\r\n";
    QVERIFY(writeFile(m_log, log));
    SortLogForm *form = sortedForm();
    QVERIFY(form);
    const QString pdf = labelPdf(form, sheet.toStdString(), "DL9XYZ");
    QVERIFY(!pdf.isEmpty());

    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QVERIFY(process.waitForFinished(20000) && process.exitCode() == 0);
    const QString boxes = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpression page(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)")re"));
    const QRegularExpression word(
        QStringLiteral(R"re(xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">)re"));
    const auto pageMatch = page.match(boxes);
    QVERIFY(pageMatch.hasMatch());
    const double width = pageMatch.captured(1).toDouble();
    const double height = pageMatch.captured(2).toDouble();
    double nearest = width;
    int words = 0;
    for (auto it = word.globalMatch(boxes); it.hasNext(); ++words) {
        const auto box = it.next();
        nearest =
            std::min({nearest, box.captured(1).toDouble(), box.captured(2).toDouble(),
                      width - box.captured(3).toDouble(), height - box.captured(4).toDouble()});
    }
    QVERIFY(words > 100);
    const double nearestMm = nearest * 25.4 / 72;
    QVERIFY2(nearestMm >= 4.0, qPrintable(QString::number(nearestMm) + " mm"));

    const QString text = pdfText(pdf).simplified();
    // The tag may stand between the calls, beside the manager's.
    QVERIFY2(text.contains(QRegularExpression(
                 QStringLiteral("VP2V/DL2ABCD/MM (unknown or incomplete )?via VE3ABCDEF"))),
             qPrintable(text.right(400)));
    // The tag of the "none" pile on its card's label as well as on its heading.
    QVERIFY(text.contains(QStringLiteral("none P5AB")));
    QVERIFY(text.contains(QStringLiteral("de DL9XYZ")));
}

// The options come back in the next run: a new window reads what the last one kept.
void SortLogFormTest::labelOptionsAreRemembered()
{
    const std::filesystem::path file = m_window->path("labels.set").toStdString();
    const LabelOptions chosen{"a4-2x7", false, 7, 2, "DL9XYZ"};
    {
        LabelForm form([] { return QString(); }, file, "DL1ABC");
        QCOMPARE(form.options().ownCall, std::string("DL1ABC")); // from the settings at first
        form.setOptions(chosen);
        form.reject();
    }
    LabelForm again([] { return QString(); }, file, "DL1ABC");
    QVERIFY(again.options() == chosen);
}

void SortLogFormTest::sheetPagesAreCounted()
{
    SortLogForm *form = sortedForm();
    QVERIFY(form);
    const QString pdf = m_window->path("sheet.pdf");
    QVERIFY(form->saveSheetAsPdf(pdf));
    QVERIFY(pdfText(pdf).contains(QStringLiteral("page 1 of 1")));
}

// A PDF saved onto a full disk was cut, over the one saved before, and nothing was said. The old
// file stays whole, no work file is left, and the status line says why.
void SortLogFormTest::aFullDiskKeepsTheOldPdfs()
{
    SortLogForm *form = sortedForm();
    QVERIFY(form);
    LabelForm *labels = form->labelForm();
    const QString disk = m_window->path("disk");
    QVERIFY(QDir().mkpath(disk));
    const QByteArray diskPath = QFile::encodeName(disk);
    if (::mount("tmpfs", diskPath.constData(), "tmpfs", 0, "size=1m") != 0)
        QSKIP("a small file system of its own needs root");
    const auto unmount = qScopeGuard([&diskPath] { ::umount2(diskPath.constData(), MNT_DETACH); });

    const QString sheet = disk + QStringLiteral("/sheet.pdf");
    const QString labelPdf = disk + QStringLiteral("/labels.pdf");
    QVERIFY(form->saveSheetAsPdf(sheet));
    QVERIFY(labels->saveAsPdf(labelPdf));
    const QByteArray sheetBytes = readFile(sheet);
    const QByteArray labelBytes = readFile(labelPdf);
    QFile filler(disk + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();

    QVERIFY(!form->saveSheetAsPdf(sheet));
    QVERIFY2(status(form).contains(QStringLiteral("No space left on device")),
             qPrintable(status(form)));
    QVERIFY(!labels->saveAsPdf(labelPdf));
    QVERIFY(labels->findChild<QLabel *>(QStringLiteral("StatusLabel"))
                ->text()
                .contains(QStringLiteral("No space left on device")));
    QCOMPARE(readFile(sheet), sheetBytes);
    QCOMPARE(readFile(labelPdf), labelBytes);
    QCOMPARE(QDir(disk).entryList(QDir::Files, QDir::Name),
             (QStringList{"filler", "labels.pdf", "sheet.pdf"}));
}

void SortLogFormTest::longFirstPileStartsOnTheFirstPage()
{
    // A first pile a little shorter than a page went whole to the second page, and left the
    // first one empty but for its heading. Whatever its length, it starts on the first page.
    for (const int cards : {300, 340, 380, 420, 460}) {
        QByteArray log;
        for (int i = 0; i < cards; ++i)
            log += "<CALL:6>DL" + QByteArray::number(1000 + i) + "<EOR>";
        QVERIFY(writeFile(m_log, log));
        SortLogForm *form = sortedForm(true);
        QVERIFY(form);
        const QString pdf = m_window->path("sheet.pdf");
        QVERIFY(form->saveSheetAsPdf(pdf));
        const QStringList pages = pdfText(pdf).split('\f');
        QVERIFY2(pages.size() >= 2 && pages[0].contains(QStringLiteral("DL1000")),
                 qPrintable(QString::number(cards) + " cards: " + pages[0]));
        QVERIFY(pages[0].contains(QStringLiteral("of %1").arg(pages.size() - 1)));
    }
}

void SortLogFormTest::dialogsStartBesideTheLog_data()
{
    QTest::addColumn<QString>("log");      // relative to a temporary folder
    QTest::addColumn<QString>("expected"); // "home", or relative to the folder
    QTest::newRow("no log yet") << ""
                                << "home";
    QTest::newRow("beside the log") << "logs/my.adi"
                                    << "logs";
    QTest::newRow("never the data folder") << "data/my.adi"
                                           << "home";
    QTest::newRow("a folder that is gone") << "gone/my.adi"
                                           << "home";
}

void SortLogFormTest::dialogsStartBesideTheLog()
{
    QFETCH(QString, log);
    QFETCH(QString, expected);
    const QDir dir(m_window->path("."));
    QVERIFY(dir.mkpath(QStringLiteral("logs")) && dir.mkpath(QStringLiteral("data")));
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString logPath = log.isEmpty() ? QString() : dir.filePath(log);
    // The data folder given as the program has it: here relative, through the current folder.
    const QString current = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.filePath(QStringLiteral("data"))));
    const QString folder = SortLogForm::dialogFolder(logPath, QString(), home);
    QDir::setCurrent(current);
    QCOMPARE(QFileInfo(folder).canonicalFilePath(),
             QFileInfo(expected == "home" ? home : dir.filePath(expected)).canonicalFilePath());
    QCOMPARE(folder == home, expected == "home");
}

void SortLogFormTest::aListOfCallsCannotBeMarked()
{
    SortLogForm *form = openedForm("calls.txt", "DL1ABC W1AW\n");
    QVERIFY(form);
    QCOMPARE(pileRows(form), QStringList({"DL 1 1", "K1 1 1"}));
    auto *mark = form->findChild<QPushButton *>(QStringLiteral("MarkButton"));
    QVERIFY(!mark->isEnabled());
    QVERIFY2(mark->toolTip().startsWith("A list of calls holds no QSOs"),
             qPrintable(mark->toolTip()));
    const QString sent = m_window->path("calls-sent.adi");
    QVERIFY(!marked(form, sent));
    QVERIFY(!QFileInfo::exists(sent));
}

void SortLogFormTest::markedLogFileGetsTheLogsExtension_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("written");
    QTest::newRow("adi") << "/l/sent"
                         << "/l/log.adi"
                         << "/l/sent.adi";
    QTest::newRow("adif") << "/l/sent"
                          << "/l/log.ADIF"
                          << "/l/sent.adif";
    QTest::newRow("adx is written as ADIF") << "/l/sent"
                                            << "/l/log.adx"
                                            << "/l/sent.adi";
    QTest::newRow("own extension") << "/l/sent.txt"
                                   << "/l/log.adx"
                                   << "/l/sent.txt";
    QTest::newRow("cancelled") << ""
                               << "/l/log.adi"
                               << "";
}

void SortLogFormTest::markedLogFileGetsTheLogsExtension()
{
    QFETCH(QString, typed);
    QFETCH(QString, log);
    QFETCH(QString, written);
    QCOMPARE(SortLogForm::markedLogFile(typed, log), written);
}

void SortLogFormTest::aHugeNoteDoesNotWidenTheWindow()
{
    const QByteArray note(10000, 'x');
    SortLogForm *form = openedForm("huge.adi", "<CALL:6>DL1ABC<QSL_VIA:10000>" + note + "<EOR>");
    QVERIFY(form);
    QVERIFY2(form->minimumSizeHint().width() < 1200,
             qPrintable(QString::number(form->minimumSizeHint().width())));
    QVERIFY2(status(form).contains(QString(40, 'x') + "...\""), qPrintable(status(form)));
    QVERIFY(!status(form).contains(QString(41, 'x')));
}

void SortLogFormTest::findNarrowsThePilesToTheCards()
{
    SortLogForm *form = sortedForm();
    QVERIFY(form);
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    auto *find = form->findChild<QLineEdit *>(QStringLiteral("FindEdit"));
    auto *tree = form->findChild<QTreeView *>();
    const QString sorted = status(form);

    QTest::keyClick(form, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(find->hasFocus());
    // DL1ABC itself, and DA0XX through its manager DL1ABC; in one pile.
    QTest::keyClicks(find, QStringLiteral("dl1"));
    QCOMPARE(pileRows(form), QStringList{"DL 2 3"});
    QCOMPARE(tree->model()->rowCount(tree->model()->index(0, 0)), 2);
    QCOMPARE(status(form), QStringLiteral("2 cards match \"DL1\"."));
    QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("DA0XX"));
    find->setText(QStringLiteral("K4A"));
    QCOMPARE(pileRows(form), QStringList{"K4 1 1"});
    QCOMPARE(status(form), QStringLiteral("1 card matches \"K4A\"."));
    find->clear();
    // The card found stays current and in sight once the find is cleared.
    QCOMPARE(tree->currentIndex().data().toString(), QStringLiteral("K4ABC"));
    QVERIFY(tree->isExpanded(tree->currentIndex().parent()));
    find->setText(QStringLiteral("QQ"));
    QCOMPARE(tree->model()->rowCount(), 0);
    QCOMPARE(status(form), QStringLiteral("No card matches \"QQ\"."));

    // Escape clears the find, and only then closes the window.
    QTest::keyClick(find, Qt::Key_Escape);
    QCOMPARE(find->text(), QString());
    QCOMPARE(status(form), sorted);
    QCOMPARE(tree->model()->rowCount(), 6);
    QVERIFY(form->isVisible());
    QTest::keyClick(tree, Qt::Key_Escape);
    QVERIFY(!form->isVisible());
}

void SortLogFormTest::aCardOpensOnItsQsosByKeyboard()
{
    SortLogForm *form = sortedForm();
    QVERIFY(form);
    auto *tree = form->findChild<QTreeView *>();
    const QAbstractItemModel *model = tree->model();
    const QModelIndex dl = model->index(0, 0);
    tree->setCurrentIndex(dl);
    QTest::keyClick(tree, Qt::Key_Right); // opens the pile
    QTest::keyClick(tree, Qt::Key_Down);  // DA0XX
    QTest::keyClick(tree, Qt::Key_Down);  // DL1ABC
    const QModelIndex card = tree->currentIndex();
    QCOMPARE(card.data().toString(), QStringLiteral("DL1ABC"));
    QCOMPARE(model->rowCount(card), 2);
    QTest::keyClick(tree, Qt::Key_Right);
    QVERIFY(tree->isExpanded(card));
    const QModelIndex qso = model->index(1, 0, card);
    QCOMPARE(model->index(1, 1, card).data().toString(), QStringLiteral("40M"));
    QCOMPARE(qso.data(Qt::AccessibleTextRole).toString(),
             QStringLiteral("QSO 2 of 2 with DL1ABC: 40M"));
    QTest::keyClick(tree, Qt::Key_Minus);
    QVERIFY(!tree->isExpanded(card));
    QTest::keyClick(tree, Qt::Key_Plus);
    QVERIFY(tree->isExpanded(card));
    QTest::keyClick(tree, Qt::Key_Left);
    QVERIFY(!tree->isExpanded(card));
}

void SortLogFormTest::aSecondWindowOpensBesideTheFirst()
{
    // Sort log windows belong to the main window, as in the program.
    QWidget owner;
    std::vector<SortLogForm *> forms;
    for (int i = 0; i < 3; ++i) {
        forms.push_back(new SortLogForm(m_window->state, &owner));
        forms.back()->show();
        QVERIFY(QTest::qWaitForWindowExposed(forms.back()));
    }
    QVERIFY(forms[1]->pos() != forms[0]->pos());
    QVERIFY(forms[2]->pos() != forms[0]->pos() && forms[2]->pos() != forms[1]->pos());
}

QTEST_MAIN(SortLogFormTest)
#include "SortLogFormTest.moc"
