#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into an event of the GUI thread, so that a program asked to
// end by the system, a terminal or a session closes its main window the normal way and keeps
// the user's settings. The handler only writes a byte into a pipe; the rest happens in the
// event loop.
class SignalWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
