// A top-level window's place in the desktop's taskbar: whether it has an entry there, and whether it
// comes back as one. On X11 these are the window manager's _NET_WM_STATE_SKIP_TASKBAR state and the
// initial state of WM_HINTS; elsewhere nothing is done. Also a second request to map a window shown
// whose first one the window manager never answered.
#pragma once

class QWidget;

// Gives or takes away window's taskbar entry. A window manager drops the state when the window is
// hidden, so call it again each time the window is shown.
void SetTaskbarEntry(QWidget& window, bool shown);

// Makes the next showing of a hidden window a normal one. A window minimized and then hidden keeps
// asking to start minimized, which the toolkit does not always undo when it is shown normally.
void ClearMinimizedStart(QWidget& window);

// Whether a window manager has taken the window (it set the window's WM_STATE). Without X11, true.
bool ManagedByWindowManager(QWidget& window);

// Whether the window manager has the window minimized (its WM_STATE says Iconic). Without X11, true.
bool IconicForWindowManager(QWidget& window);

// Asks again for a window shown but still unmapped to be mapped. A window manager that was starting
// up when the window was first shown can lose that request, and the window then never appears.
void MapAgainIfUnmapped(QWidget& window);

// Asks the window manager to minimize a window it shows normally (ICCCM WM_CHANGE_STATE), whatever the
// toolkit believes the window's state to be.
void AskIconic(QWidget& window);
