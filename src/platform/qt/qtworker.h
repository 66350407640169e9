// A thread for one long job at a time, whose result is handed back to the thread that started it
// through that thread's Qt event loop: the user-interface thread goes on handling events while a
// blocking job (the time query, its name lookup included) runs.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <thread>

class QtWorker final {
public:
    // Must be made on the thread whose event loop is to run the hand-backs.
    QtWorker();
    // Waits for a running job to end (the job bounds its own time); its hand-back is dropped.
    ~QtWorker();
    QtWorker(const QtWorker&) = delete;
    QtWorker& operator=(const QtWorker&) = delete;

    // Runs work on the worker thread, then then on the starting thread's event loop. The caller
    // starts a new job only after the previous one's then has run.
    void Run(std::function<void()> work, std::function<void()> then);

private:
    std::unique_ptr<QObject> m_receiver; // lives on the starting thread; takes the hand-backs
    std::thread m_thread;
};
