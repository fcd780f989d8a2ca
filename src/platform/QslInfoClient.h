#pragma once

#include "core/net/NetPeer.h"
#include "core/net/QslInfoAnswer.h"
#include "core/net/QslInfoRequest.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

class HttpExchange;

// Asks the QSL information service about one call at a time: builds the request, sends it once
// the connection is made, collects the answer as it arrives, and signals the lines to show once
// the answer is complete, or the one line that says the query failed. A query blocks nothing,
// and one started while another is under way replaces it: the newest call wins.
class QslInfoClient final : public QObject
{
    Q_OBJECT

public:
    // An answer is a few lines of text; a larger one is not shown.
    static constexpr std::uint64_t AnswerLimit = 64 * 1024;

    explicit QslInfoClient(QslInfoServer server, ExchangeLimits limits = {},
                           QObject *parent = nullptr);
    ~QslInfoClient() override;

    const QslInfoServer &server() const { return m_server; }
    // Starts a query for the call field's single-byte text and returns at once; calls of one or
    // two characters are not asked about, which queryFailed says. ownCall: single-byte text, as
    // the settings hold it.
    void query(const std::string &callFieldText, const std::string &ownCall);
    bool running() const;

public slots:
    // An answer still on its way is not wanted: the connection is dropped, nothing signalled.
    void abort();

signals:
    // The header line that names the call, the lines of the service's result and the separator.
    void answerReceived(const QStringList &lines);
    // "*** query to <service> server failed for <call>: <reason> ***" and the like, also for a
    // call too short to be asked about.
    void queryFailed(const QString &message);

private:
    void answerRead(const QByteArray &text);
    void fail(const char *what, const QString &reason);

    QslInfoServer m_server;
    HttpExchange *m_exchange = nullptr;
    QslInfoAnswer m_answer;
    std::string m_queryCall; // the call of the query under way, which its answer names
};
