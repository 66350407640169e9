// A scriptable Time-protocol server on 127.0.0.1 for tests: it accepts connections one after the
// other and plays the same script to each (bytes after delays, then close, stay silent or stream
// without end). It runs on its own thread; every wait in it is short, and it stops when destroyed.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

struct ServerStep {
    int delayMs = 0; // after the previous step (or the accept)
    std::vector<std::uint8_t> bytes;
};

enum class ServerEnd {
    Close,    // closes its side after the last step
    KeepOpen, // sends nothing more and waits for the client to close
    Stream,   // sends filler without end until the client goes away
};

struct ServerScript {
    std::vector<ServerStep> steps;
    ServerEnd end = ServerEnd::Close;
};

// The four bytes of a Time-protocol reply, most significant first.
std::vector<std::uint8_t> TimeBytes(std::uint32_t secondsSince1900);
// A script that answers at once with the given bytes and closes.
ServerScript PromptReply(std::vector<std::uint8_t> bytes);

class ScriptedTimeServer {
public:
    // port 0: an ephemeral port. Check Listening() when asking for a fixed one.
    explicit ScriptedTimeServer(ServerScript script, std::uint16_t port = 0);
    ~ScriptedTimeServer();
    ScriptedTimeServer(const ScriptedTimeServer&) = delete;
    ScriptedTimeServer& operator=(const ScriptedTimeServer&) = delete;

    bool Listening() const { return m_listener >= 0; }
    std::uint16_t Port() const { return m_port; }
    // The port as the service text of a query.
    std::string Service() const { return std::to_string(m_port); }
    // Connections accepted so far, and the bytes sent on all of them.
    int Connections() const { return m_connections; }
    long long BytesSent() const { return m_bytesSent; }

private:
    void Run();
    void Serve(int connection);
    bool PauseMs(int ms);

    std::shared_ptr<void> m_sockets; // the socket layer's start this server holds, where it needs one
    ServerScript m_script;
    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::atomic<long long> m_bytesSent{0};
    std::thread m_thread;
};

// A port on 127.0.0.1 where nothing listens (bound for a moment, then released).
std::uint16_t UnusedPort();
// True when something on 127.0.0.1 accepts a connection to port.
bool AcceptsConnections(std::uint16_t port);
