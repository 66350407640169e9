#include "components/fixeddialog.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace {

constexpr Qt::WindowFlags kDialogFrame =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// Brings its dialog back whenever the window manager minimizes it.
class StayInSight final : public QObject {
public:
    explicit StayInSight(QDialog& dialog) : QObject(&dialog), m_dialog(dialog) { dialog.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_dialog && event->type() == QEvent::WindowStateChange && m_dialog.isMinimized())
            // After the state change is through, or the window system's own report undoes it.
            QTimer::singleShot(0, &m_dialog, [dialog = &m_dialog] {
                if (dialog->isVisible() && dialog->isMinimized())
                    dialog->showNormal();
            });
        return false;
    }

private:
    QDialog& m_dialog;
};

} // namespace

void MakeDialogFrame(QDialog& dialog)
{
    dialog.setWindowFlags(kDialogFrame | (dialog.windowFlags() & Qt::MSWindowsFixedSizeDialogHint));
}

void MakeFixedDialog(QDialog& dialog, QSize size)
{
    dialog.setWindowFlags(kDialogFrame | Qt::MSWindowsFixedSizeDialogHint);
    dialog.setFixedSize(size);
}

void CentreOnScreen(QDialog& dialog)
{
    const QWidget* parent = dialog.parentWidget();
    if (const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
}

int RunDialog(QDialog& dialog)
{
    MakeDialogFrame(dialog);
    dialog.setWindowModality(Qt::WindowModal);
    new StayInSight(dialog);
    return dialog.exec();
}

QWidget* OpenDialog()
{
    return QApplication::activeModalWidget();
}

bool RaiseOpenDialog()
{
    QWidget* dialog = OpenDialog();
    if (!dialog)
        return false;
    dialog->showNormal();
    dialog->raise();
    dialog->activateWindow();
    return true;
}
