#include "components/fixeddialog.h"

#include <QDialog>

void MakeFixedDialog(QDialog& dialog, QSize size)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog.setFixedSize(size);
}
