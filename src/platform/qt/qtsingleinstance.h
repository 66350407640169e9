// One running clock per user and settings folder. The first start holds a lock file in the user's
// runtime folder and listens on a local socket beside it; a later start finds the lock held, asks the
// running clock over the socket to come to the front, and ends. A lock left by a killed clock is
// stale (its process is gone) and taken over; a socket file left behind is replaced. Both files go
// when the clock ends, so nothing stays in the settings folder or the runtime folder. The socket is
// the platform's own: a Unix-domain socket on POSIX (qtsingleinstance_posix.cpp, which spares every
// start the linking of Qt's network library), Qt's local socket elsewhere (qtsingleinstance_local.cpp).
#pragma once

#include <QByteArrayView>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <string>

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
    class Listener; // the listening end, the platform's
    struct EndListener {
        void operator()(Listener* listener) const;
    };

    // What a later start sends, and what the running clock answers before it comes to the front.
    static constexpr QByteArrayView kShowRequest = "show\n";
    static constexpr QByteArrayView kShownAnswer = "shown\n";
    static constexpr int kAnswerWaitMs = 5000;

    // Listens on m_serverName, replacing a socket left behind; emits showRequested for each request.
    void Listen();

    QString m_lockPath;
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<Listener, EndListener> m_listener;
};
