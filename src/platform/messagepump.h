// Platform service: lets the window's pending messages (timer ticks, repaints, clicks) run while a
// long operation holds the user-interface thread, so the window stays live. Handlers run nested
// inside the caller.
#pragma once

#include <memory>

class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Handles the pending messages; then, unless waitMs is 0, waits at most waitMs milliseconds for
    // more and handles those. Returns early once something was handled during the wait.
    virtual void HandleMessages(int waitMs) = 0;
    // Handles pending messages without waiting: one message where the platform hands them out
    // singly, else one round of what is pending. A request to quit is not lost.
    virtual void HandleOneMessage() = 0;
};

// The platform's own message queue of this thread: on a system without one, waits simply sleep, as
// the time query's do on its worker thread. QtMessagePump runs the toolkit's events instead.
std::unique_ptr<MessagePump> MakeSystemMessagePump();
