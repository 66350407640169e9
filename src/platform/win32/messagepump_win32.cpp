#include "platform/messagepump.h"

#include <windows.h>

namespace {

// A quit request taken off the queue is put back, so it still ends the program's main loop once
// control returns there; it is never dispatched from here.
bool TakeAndDispatchOne()
{
    MSG message{};
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

class Win32MessagePump final : public MessagePump {
public:
    void HandleMessages(int waitMs) override
    {
        while (TakeAndDispatchOne()) {
        }
        if (waitMs <= 0)
            return;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(waitMs), QS_ALLINPUT) == WAIT_OBJECT_0) {
            while (TakeAndDispatchOne()) {
            }
        }
    }

    void HandleOneMessage() override { TakeAndDispatchOne(); }
};

} // namespace

std::unique_ptr<MessagePump> MakeSystemMessagePump()
{
    return std::make_unique<Win32MessagePump>();
}
