// The taskbar's notification area through Shell_NotifyIconA, for a Windows build that does without
// the toolkit's tray icon. A hidden window of its own receives the shell's notifications (message
// WM_USER) and the "TaskbarCreated" broadcast, after which it puts its icon back.
#pragma once

#include "platform/notificationarea.h"

#include <memory>

std::unique_ptr<NotificationArea> MakeWin32NotificationArea();
