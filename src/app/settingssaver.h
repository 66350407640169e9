// The program's settings saves, made off the window's thread. Each save is one transaction of the
// settings engine (every key of an OK, a close or a clock update under one lock, in one write), made
// in the order given by one worker thread. While another program holds the file's lock the worker
// tries again and again, so a save waits its turn and the window never waits. Until a save lands,
// Pending gives the values it stores, so the program reads what it has written.
#pragma once

#include "app/inifile.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

enum class SavesFinished {
    Saved,
    LockHeld, // another program held the lock all the while; the saves are still queued
    Failed,   // a save could not be made (the folder or file refused it); its keys are lost
};

class SettingsSaver {
public:
    SettingsSaver() = default;
    // Ends the worker; saves not made by then are dropped (Flush first to keep them).
    ~SettingsSaver();
    SettingsSaver(const SettingsSaver&) = delete;
    SettingsSaver& operator=(const SettingsSaver&) = delete;

    // Queues changes to the file at path as one transaction and returns at once.
    void Save(const std::string& path, inifile::Changes changes);
    // The value the latest queued, not yet made, change gives key in section of path, as the file
    // will read once it is made; nullopt when no queued change touches it.
    std::optional<std::string> Pending(const std::string& path, std::string_view section, std::string_view key) const;
    // Waits at most timeout for every queued save to be made. Saved when all were made since the
    // last Flush; otherwise why not, with the reason in reason (a failed save is also said on stderr).
    SavesFinished Flush(std::chrono::milliseconds timeout, std::string& reason);

private:
    struct Transaction {
        std::string path;
        inifile::Changes changes;
    };

    void Work();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;    // a save was queued, or the end came
    std::condition_variable m_settled; // the queue emptied
    std::deque<Transaction> m_queue;   // the front ones are under way
    bool m_stop = false;
    bool m_waitingForLock = false;
    std::string m_failedPath; // the file of a save that failed since the last Flush
    std::thread m_thread; // started by the first save
};
