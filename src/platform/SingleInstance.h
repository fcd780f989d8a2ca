#pragma once

#include "platform/FolderLock.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QStringList>
#include <chrono>

class QLocalSocket;
class QSocketNotifier;

// One program per data folder: two of them updating the same files would spoil each other's
// work. The first to start holds the folder (FolderLock) and listens on a local socket in the
// user's own folder; a later start hands its log files (or none) to that one and ends. Either
// side talks only to a process of the same user.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *LockFileName = FolderLock::FileName;
    // Connections served at once; a further one drops the oldest, which a stuck or hostile peer
    // holds, while a later start sends its request at once.
    static constexpr int MaxPeers = 16;

    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the folder for this process and listens for later starts. False only when another
    // running program holds the folder; a folder that cannot hold a lock file is not refused.
    bool claim();
    // Who holds the folder, after a claim() that failed.
    const FolderLock::Holder &holder() const { return m_lock.holder(); }
    // After a claim() that succeeded: why later starts may not reach this program, or empty.
    QString problem() const { return m_problem; }

    // For a later start: hands the files to the program that holds the folder, from the event
    // loop, and ends with handedOver(). Relative paths are taken from the current directory. The
    // holder gets as long as it may be busy speaking an answer or starting itself.
    void handOver(const QStringList &files,
                  std::chrono::milliseconds patience = std::chrono::seconds(10));

    // The local socket of a folder, in the user's own folder; empty when there is none.
    static QString serverName(const QString &folder);

signals:
    // A later start handed these files over; an empty list only asks to be shown.
    void filesHandedOver(const QStringList &files);
    // The hand-over is over: taken by the running program, or nobody answered in time.
    void handedOver(bool taken);

private:
    void listen();
    void acceptConnections();
    void dropPeer(QLocalSocket *peer);
    void readRequest(QLocalSocket *peer);
    void connectToHolder();
    void retryOrGiveUp();
    void finishHandOver(bool taken);

    QString m_folder;
    FolderLock m_lock;
    QString m_problem;
    int m_listener = -1;
    QByteArray m_socketPath;
    QSocketNotifier *m_acceptNotifier = nullptr;
    QList<QLocalSocket *> m_peers; // oldest first
    QLocalSocket *m_socket = nullptr;
    QByteArray m_request;
    QDeadlineTimer m_handOverDeadline;
    bool m_handOverDone = false;
};
