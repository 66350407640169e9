// A notification area for tests: records every call with its record, answers as scripted, can be
// made to go away (present = false), and delivers notifications as the desktop would.
#pragma once

#include "platform/notificationarea.h"

#include <string>
#include <vector>

class FakeNotificationArea final : public NotificationArea {
public:
    struct Call {
        std::string kind; // "add", "modify" or "delete"
        NotifyIconData data;
    };

    bool Add(const NotifyIconData& data) override
    {
        if (!Record("add", data) || shown)
            return false;
        shown = true;
        return true;
    }
    bool Modify(const NotifyIconData& data) override { return Record("modify", data) && shown; }
    bool Delete(const NotifyIconData& data) override
    {
        if (!Record("delete", data) || !shown)
            return false;
        shown = false;
        return true;
    }
    bool Present() const override { return present; }
    ScreenPoint CursorPos() const override { return cursor; }
    void SetReceiver(Receiver r) override { receiver = std::move(r); }

    // What the desktop does when the user acts on the icon.
    void Notify(std::uint32_t message, std::uint32_t id = 0)
    {
        if (receiver)
            receiver(id, message);
    }
    std::vector<std::string> Kinds() const
    {
        std::vector<std::string> kinds;
        for (const Call& call : calls)
            kinds.push_back(call.kind);
        return kinds;
    }

    std::vector<Call> calls;
    bool present = true;
    bool refuse = false; // every call fails, as a shell that says no
    bool shown = false;  // an icon is in the area
    ScreenPoint cursor{640, 10};
    Receiver receiver;

private:
    bool Record(const char* kind, const NotifyIconData& data)
    {
        calls.push_back({kind, data});
        return present && !refuse;
    }
};
