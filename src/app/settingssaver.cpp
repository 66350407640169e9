#include "app/settingssaver.h"

#include <iterator>

SettingsSaver::~SettingsSaver()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    // The worker never waits for the file's lock while asked to stop, so this wait is short.
    if (m_thread.joinable())
        m_thread.join();
}

void SettingsSaver::Save(const std::string& path, inifile::Changes changes)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back({path, std::move(changes)});
        if (!m_thread.joinable())
            m_thread = std::thread(&SettingsSaver::Work, this);
    }
    m_wake.notify_all();
}

std::optional<std::string> SettingsSaver::Pending(const std::string& path, std::string_view section,
                                                  std::string_view key) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    for (auto transaction = m_queue.rbegin(); transaction != m_queue.rend(); ++transaction) {
        if (transaction->path != path)
            continue;
        for (auto change = transaction->changes.rbegin(); change != transaction->changes.rend(); ++change)
            if (inifile::SameName(change->section, section) && inifile::SameName(change->key, key))
                return inifile::ValueAsRead(change->value);
    }
    return std::nullopt;
}

SavesFinished SettingsSaver::Flush(std::chrono::milliseconds timeout, std::string& reason)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_settled.wait_for(lock, timeout, [this] { return m_queue.empty(); })) {
        if (m_failedPath.empty())
            return SavesFinished::Saved;
        reason = m_failedPath + " could not be written";
        m_failedPath.clear();
        return SavesFinished::Failed;
    }
    std::size_t keys = 0;
    for (const Transaction& transaction : m_queue)
        keys += transaction.changes.size();
    const std::string& path = m_queue.front().path;
    reason = std::to_string(keys) + " setting(s) not saved to " + path + ": " +
             (m_waitingForLock ? "another program has held its lock (" + path + ".lock or its folder)"
                               : "the save did not finish") +
             " for the last " + std::to_string(timeout.count()) + " ms";
    return m_waitingForLock ? SavesFinished::LockHeld : SavesFinished::Failed;
}

void SettingsSaver::Work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return;
        // The saves of the same file queued behind the first go with it: one lock, one write, the
        // later value of a key winning as it would one save after the other.
        const std::string path = m_queue.front().path;
        inifile::Changes changes;
        std::size_t taken = 0;
        for (; taken < m_queue.size() && m_queue[taken].path == path; ++taken)
            changes.insert(changes.end(), m_queue[taken].changes.begin(), m_queue[taken].changes.end());
        lock.unlock();
        const inifile::WriteOutcome outcome = inifile::TryWriteValues(path, changes);
        lock.lock();
        m_waitingForLock = outcome == inifile::WriteOutcome::Busy;
        if (m_waitingForLock) {
            m_wake.wait_for(lock, inifile::kLockRetry, [this] { return m_stop; });
            continue;
        }
        if (outcome == inifile::WriteOutcome::Failed)
            m_failedPath = path;
        m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(taken));
        if (m_queue.empty())
            m_settled.notify_all();
    }
}
