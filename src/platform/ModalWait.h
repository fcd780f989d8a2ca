#pragma once

#include <QEventLoop>
#include <QObject>

// Keeps the event loop running until an object signals that it is done, for callers below the
// toolkit that need an answer before they go on: the update takes one download after another
// this way. Windows, sockets and timers are served meanwhile, and a modal window keeps the
// user's input away from the others. Leaving every event loop (QCoreApplication::exit, as the
// end of the program does) ends the wait too.
class ModalWait
{
public:
    template<typename Sender, typename Signal> void endOn(const Sender *sender, Signal signal)
    {
        QObject::connect(sender, signal, &m_loop, &QEventLoop::quit);
    }
    void exec() { m_loop.exec(QEventLoop::DialogExec); }

private:
    QEventLoop m_loop;
};
