#include "platform/qt/qtworker.h"

#include <QMetaObject>

QtWorker::QtWorker() : m_receiver(std::make_unique<QObject>()) {}

QtWorker::~QtWorker()
{
    if (m_thread.joinable())
        m_thread.join();
    // A hand-back still queued goes with its receiver.
    m_receiver.reset();
}

void QtWorker::Run(std::function<void()> work, std::function<void()> then)
{
    // The previous job has handed back already, so its thread is ending or ended.
    if (m_thread.joinable())
        m_thread.join();
    QObject* receiver = m_receiver.get();
    m_thread = std::thread([receiver, work = std::move(work), then = std::move(then)]() mutable {
        work();
        QMetaObject::invokeMethod(receiver, std::move(then), Qt::QueuedConnection);
    });
}
