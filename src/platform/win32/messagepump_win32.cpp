#include "platform/messagepump.h"

#include <windows.h>

namespace {

// A quit request taken off the queue is put back, so it still ends the program's main loop once
// control returns there; it is never dispatched from here. quitSeen tells the caller it is pending.
bool TakeAndDispatchOne(bool& quitSeen)
{
    MSG message{};
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        quitSeen = true;
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
        bool quitSeen = false;
        while (TakeAndDispatchOne(quitSeen)) {
        }
        if (waitMs <= 0)
            return;
        // A pending quit keeps the queue's posted-message state set, so a wait woken by posted
        // messages would return at once, again and again: with a quit pending only input, timers,
        // paints and sent messages wake it. A wake that brings nothing to handle waits on.
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitMs);
        for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
            const DWORD wake = quitSeen ? QS_ALLINPUT & ~(QS_POSTMESSAGE | QS_ALLPOSTMESSAGE) : QS_ALLINPUT;
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), wake) != WAIT_OBJECT_0)
                return;
            bool handled = false;
            while (TakeAndDispatchOne(quitSeen))
                handled = true;
            if (handled)
                return;
        }
    }

    void HandleOneMessage() override
    {
        bool quitSeen = false;
        TakeAndDispatchOne(quitSeen);
    }
};

} // namespace

std::unique_ptr<MessagePump> MakeSystemMessagePump()
{
    return std::make_unique<Win32MessagePump>();
}
