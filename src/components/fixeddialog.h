// The frame of the program's fixed-size dialogs: a title and a close button, no maximize or
// minimize, and a size the user cannot change.
#pragma once

#include <QSize>

class QDialog;

void MakeFixedDialog(QDialog& dialog, QSize size);
