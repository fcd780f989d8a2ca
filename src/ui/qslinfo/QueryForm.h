#pragma once

#include "core/net/NetPeer.h"
#include "core/net/QslInfoAnswer.h"
#include "core/net/QslInfoRequest.h"

#include <QAbstractSocket>
#include <QWidget>
#include <memory>
#include <string>

struct AppSettings;
class HttpResponseReader;
class MessageBoxes;
class QPlainTextEdit;
class QPushButton;
class QTcpSocket;
class QTimer;

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
              QWidget *parent = nullptr, QueryTiming timing = {});
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
    void openQslInfoSocket();
    void qslInfoSocketConnect();
    void qslInfoSocketRead();
    void qslInfoSocketDisconnect();
    void qslInfoSocketError(QAbstractSocket::SocketError error);
    void take(const std::string &body);
    void endConnection();
    void appendLine(const std::string &utf8);
    void giveUp();
    void placeBeside(const QWidget &window);

    AppSettings &m_settings;
    MessageBoxes &m_boxes;
    QslInfoServer m_server;
    QueryTiming m_timing;

    QPlainTextEdit *m_memo = nullptr;
    QPushButton *m_queryButton = nullptr;
    // One socket per query, so that a replaced query's late events cannot reach the next one.
    QTcpSocket *m_qslInfoSocket = nullptr;
    QTimer *m_silenceTimer = nullptr;
    QTimer *m_answerTimer = nullptr;
    std::unique_ptr<HttpResponseReader> m_reader;
    QslInfoAnswer m_hiddenMemo;

    QWidget *m_besideWindow = nullptr;
    bool m_placed = false;
    std::string m_queryCall; // the call of the query under way, which its answer names
    bool m_opening = false;
    bool m_openFailed = false;
};
