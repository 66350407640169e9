// The baseline of the start-up measurement: a bare Qt window of the main window's size and place,
// filled with one colour, doing nothing else.
#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace {

class Plain final : public QWidget {
protected:
    void paintEvent(QPaintEvent* /*event*/) override { QPainter(this).fillRect(rect(), QColor(0xC8, 0x1E, 0x1E)); }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    Plain window;
    window.setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
    window.setGeometry(0, 0, 409, 225);
    window.show();
    return QApplication::exec();
}
