// One running clock per user and settings folder. The first start holds a lock file in the user's
// runtime folder and listens on a local socket beside it; a later start finds the lock held, asks the
// running clock over the socket to come to the front, and ends. A lock left by a killed clock is
// stale (its process is gone) and taken over; a socket file left behind is replaced. Both files go
// when the clock ends, so nothing stays in the settings folder or the runtime folder.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <string>

class QLocalServer;

class SingleInstance final : public QObject {
    Q_OBJECT
public:
    // settingsFolder: the folder of the settings file, which names the instance.
    explicit SingleInstance(const std::string& settingsFolder);
    ~SingleInstance() override;

    // True when this process is to run the clock: it now holds the lock and listens. Also true when
    // the runtime folder cannot hold a lock at all, so a start is never refused for want of one.
    bool BecomeFirst();
    // Asks the running clock to come to the front; true when it answered within about five seconds.
    bool ShowRunning();

signals:
    // Another start asked this clock to show itself.
    void showRequested();

private:
    void Answer();

    QString m_lockPath;
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
