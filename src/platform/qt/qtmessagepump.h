// The message pump of the Qt program: runs the application's pending events (timers, repaints,
// input) from inside a long operation on the user-interface thread.
#pragma once

#include "platform/messagepump.h"

class QtMessagePump final : public MessagePump {
public:
    void HandleMessages(int waitMs) override;
    void HandleOneMessage() override;
};
