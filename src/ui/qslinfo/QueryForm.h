#pragma once

#include "core/net/NetPeer.h"
#include "core/net/QslInfoAnswer.h"
#include "core/net/QslInfoRequest.h"
#include "platform/HttpExchange.h"

#include <QWidget>
#include <string>

struct AppSettings;
class MessageBoxes;
class QPlainTextEdit;
class QPushButton;

// The window beside the main window that asks the QSL information service about a call and
// adds each answer to its text area, automatically after every look-up or when its Query button
// is pressed. A query blocks nothing: the request goes out when the connection is made, and the
// answer is shown once the service has sent it. The window never reads the call field itself:
// its Query button asks whoever holds the field for a query.
class QueryForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 480;
    static constexpr int ClientHeight = 320;

    // settings: the mode and the own call, read at each use; closing the window switches the
    // service off there.
    QueryForm(AppSettings &settings, MessageBoxes &boxes, QslInfoServer server,
              QWidget *parent = nullptr, ExchangeLimits limits = {});
    ~QueryForm() override;

    // Starts a query for the call field's single-byte text and returns at once. A query started
    // while another is still under way replaces it: the newest call wins.
    void queryCall(const std::string &callFieldText);
    // Shows the window, with or without the Query button, or closes it, as the mode says.
    void applyQslInfoMode();
    // The first showing puts the window beside this one, where the screen has room, so that it
    // covers no answer; without it the window opens at its fixed place.
    void showBeside(QWidget *window);

    QPlainTextEdit *memo() const { return m_memo; }

signals:
    // The Query button was pressed; the holder of the call field answers with queryCall.
    void queryButtonClicked();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void qslInfoAnswerRead(const QByteArray &text);
    void qslInfoQueryFailed(HttpExchange::Failure failure);
    void appendLine(const std::string &utf8);
    void placeBeside(const QWidget &window);

    AppSettings &m_settings;
    MessageBoxes &m_boxes;
    QslInfoServer m_server;

    QPlainTextEdit *m_memo = nullptr;
    QPushButton *m_queryButton = nullptr;
    HttpExchange *m_qslInfoExchange = nullptr;
    QslInfoAnswer m_hiddenMemo;

    QWidget *m_besideWindow = nullptr;
    bool m_placed = false;
    std::string m_queryCall; // the call of the query under way, which its answer names
};
