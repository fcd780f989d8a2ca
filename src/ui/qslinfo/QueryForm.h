#pragma once

#include "core/net/NetPeer.h"
#include "core/net/QslInfoAnswer.h"
#include "core/net/QslInfoRequest.h"
#include "platform/HttpExchange.h"

#include <QMainWindow>
#include <deque>
#include <string>
#include <vector>

struct AppSettings;
class QPlainTextEdit;
class QPushButton;

// The window beside the main window that asks the QSL information service about a call and
// adds each answer to its text area, automatically after every look-up or when its Query button
// is pressed. A query blocks nothing: the request goes out when the connection is made, and the
// answer is shown once the service has sent it. Whatever goes wrong is written into the text
// area too, so that typing calls in the main window goes on. The window never reads the call
// field itself: its Query button asks whoever holds the field for a query.
class QueryForm : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 480;
    static constexpr int ClientHeight = 320;
    // An answer is a few lines of text; a larger one is not shown.
    static constexpr std::uint64_t AnswerLimit = 64 * 1024;
    // The text area keeps the latest answers within these bounds and drops the oldest whole: a
    // QSL day of a few hundred calls at a few lines each fits several times, and the area stays
    // quick to lay out, scroll and search. One answer always fits whole.
    static constexpr int MemoLineLimit = 5000;
    static constexpr int MemoCharacterLimit = 500 * 1000;

    // settings: the mode and the own call, read at each use; closing the window switches the
    // service off there.
    QueryForm(AppSettings &settings, QslInfoServer server, QWidget *parent = nullptr,
              ExchangeLimits limits = {});
    ~QueryForm() override;

    // Starts a query for the call field's single-byte text and returns at once. A query started
    // while another is still under way replaces it: the newest call wins.
    void queryCall(const std::string &callFieldText);
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
    void qslInfoAnswerRead(const QByteArray &text);
    void qslInfoAnswerEnded();
    void qslInfoQueryFailed(HttpExchange::Failure failure, const QString &reason);
    void appendFailure(const std::string &what, const QString &reason);
    void appendEntry(const std::vector<std::string> &lines);
    void dropOldestEntries();
    void scrollToEntry(int firstLine);
    void placeBeside(QWidget &window);

    AppSettings &m_settings;
    QslInfoServer m_server;

    QPlainTextEdit *m_memo = nullptr;
    QPushButton *m_queryButton = nullptr;
    HttpExchange *m_qslInfoExchange = nullptr;
    QslInfoAnswer m_hiddenMemo;
    // The number of lines of each answer or message in the text area, oldest first.
    std::deque<int> m_entryLines;

    QWidget *m_besideWindow = nullptr;
    bool m_placed = false;
    std::string m_queryCall; // the call of the query under way, which its answer names
};
