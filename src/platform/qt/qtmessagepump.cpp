#include "platform/qt/qtmessagepump.h"

#include <QCoreApplication>
#include <QTimer>

void QtMessagePump::HandleMessages(int waitMs)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (waitMs <= 0)
        return;
    // Sleeps in the event dispatcher rather than spinning; the timer bounds the sleep, and any
    // other event (a tick, a repaint, a click) ends it early.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(waitMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtMessagePump::HandleOneMessage()
{
    // Qt hands out events in rounds, not singly. A quit asked for here is kept by the application
    // and takes effect once control is back in the main loop.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
