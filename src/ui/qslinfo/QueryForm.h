#pragma once

#include <QMainWindow>
#include <QStringList>
#include <deque>

struct AppSettings;
class QslInfoClient;
class QPlainTextEdit;
class QPushButton;

// The window beside the main window that shows the answers of the QSL information service,
// asked automatically after every look-up or when its Query button is pressed: it adds each
// answer, and each query's failure, to its text area, so that typing calls in the main window
// goes on. The client asks; the window never reads the call field itself either: its Query
// button asks whoever holds the field for a query.
class QueryForm : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 480;
    static constexpr int ClientHeight = 320;
    // The text area keeps the latest answers within these bounds and drops the oldest whole: a
    // QSL day of a few hundred calls at a few lines each fits several times, and the area stays
    // quick to lay out, scroll and search. One answer always fits whole.
    static constexpr int MemoLineLimit = 5000;
    static constexpr int MemoCharacterLimit = 500 * 1000;

    // settings: the mode, read at each use; closing the window switches the service off there,
    // and gives up the client's query under way.
    QueryForm(AppSettings &settings, QslInfoClient &client, QWidget *parent = nullptr);

    // Shows the window, with or without the Query button, or closes it, as the mode says.
    void applyQslInfoMode();
    // The window that holds the call field: the first showing puts this one beside it, always
    // above it, and the Query button hands the keyboard back to it.
    void showBeside(QWidget *window);

    // Where a window of this frame size goes beside a window with the given frame, on a screen
    // with the given free area: to its right, else its left, else below it, else above it;
    // where no side has room, where it covers the least of the window, preferring the lower
    // left corner, which shows the map rather than the answers.
    static QPoint besidePosition(const QRect &area, const QRect &window, const QSize &frame);

    QPlainTextEdit *memo() const { return m_memo; }

signals:
    // The Query button was pressed; the holder of the call field answers with queryCall.
    void queryButtonClicked();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void queryButtonClick();
    void appendEntry(const QStringList &lines);
    void dropOldestEntries();
    void scrollToEntry(int firstLine);
    void placeBeside(QWidget &window);

    AppSettings &m_settings;
    QslInfoClient &m_client;

    QPlainTextEdit *m_memo = nullptr;
    QPushButton *m_queryButton = nullptr;
    // The number of lines of each answer or message in the text area, oldest first.
    std::deque<int> m_entryLines;

    QWidget *m_besideWindow = nullptr;
    bool m_placed = false;
};
