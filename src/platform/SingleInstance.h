#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QLockFile>
#include <QObject>
#include <QStringList>
#include <chrono>

class QLocalServer;
class QLocalSocket;

// One program per data folder: two of them updating the same files would spoil each other's
// work. The first to start holds a lock file in the folder and listens on a local socket named
// after the folder; a later start hands its log files (or none) to that one and ends. A lock
// left by a program that was killed does not count.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *LockFileName = "vorn.lock";

    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the folder for this process and listens for later starts. False only when another
    // running program holds the folder; a folder that cannot hold a lock file is not refused.
    bool claim();

    // For a later start: hands the files to the program that holds the folder, from the event
    // loop, and ends with handedOver(). Relative paths are taken from the current directory. The
    // holder gets as long as it may be busy speaking an answer or starting itself.
    void handOver(const QStringList &files,
                  std::chrono::milliseconds patience = std::chrono::seconds(10));

    // The local socket of a folder: one per folder, however its path is spelled, and private to
    // the user where the session has a runtime directory.
    static QString serverName(const QString &folder);

signals:
    // A later start handed these files over; an empty list only asks to be shown.
    void filesHandedOver(const QStringList &files);
    // The hand-over is over: taken by the running program, or nobody answered in time.
    void handedOver(bool taken);

private:
    void acceptConnection();
    void readRequest(QLocalSocket *peer);
    void connectToHolder();
    void retryOrGiveUp();
    void finishHandOver(bool taken);

    QString m_folder;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
    QLocalSocket *m_socket = nullptr;
    QByteArray m_request;
    QDeadlineTimer m_handOverDeadline;
    bool m_handOverDone = false;
};
