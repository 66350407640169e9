#include "platform/messagepump.h"

#include <chrono>
#include <thread>

namespace {

// Without a window system there are no messages to handle; a wait is a sleep.
class PosixMessagePump final : public MessagePump {
public:
    void HandleMessages(int waitMs) override
    {
        if (waitMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    }
    void HandleOneMessage() override {}
};

} // namespace

std::unique_ptr<MessagePump> MakeSystemMessagePump()
{
    return std::make_unique<PosixMessagePump>();
}
