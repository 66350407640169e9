// The program's dialogs and message boxes: a frame with a title and a close button only (no
// minimize or maximize), fixed-size where asked, and run modal for the window they belong to alone,
// so that the notification area's icon stays live while one is open. A dialog the window manager
// minimizes anyway comes straight back: with the main window hidden in the tray, a minimized dialog
// would leave nothing on screen to return to.
#pragma once

#include <QSize>

class QDialog;
class QWidget;

// The frame alone: title and close button, nothing to minimize or maximize with.
void MakeDialogFrame(QDialog& dialog);
// The frame, and a size the user cannot change.
void MakeFixedDialog(QDialog& dialog, QSize size);
// Places dialog in the middle of its parent's screen (the primary one without a parent): the main
// window may be hidden in the notification area, or at an edge of the screen.
void CentreOnScreen(QDialog& dialog);
// Shows dialog (given the frame) modal for its parent window and waits until it closes; answers
// QDialog::exec's result.
int RunDialog(QDialog& dialog);
// The dialog open in front of all the others, or nullptr when none is open.
QWidget* OpenDialog();
// Shows the open dialog normally, raised and active; answers false when none is open.
bool RaiseOpenDialog();
