// The baseline of the benchmarks beside the program (bench/run.sh): a bare Qt window of the main
// window's size and place that does what any clock window must do and nothing more. It is filled with
// one colour (the start-up probe watches for it), and a label and the window title show the time,
// changed by a 500 ms timer whenever the second changes; so it sets up fonts and wakes as often as
// the program does.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QPainter>
#include <QTimer>
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
    QLabel label(&window);
    label.setGeometry(144, 10, 48, 13);
    QString shown;
    QDate day;
    QString date;
    const auto tick = [&] {
        const QDateTime now = QDateTime::currentDateTime();
        const QString time = now.time().toString(QStringLiteral("hh:mm:ss"));
        if (time == shown)
            return;
        shown = time;
        if (now.date() != day) {
            day = now.date();
            date = QLocale().toString(day, QLocale::LongFormat);
        }
        label.setText(time);
        window.setWindowTitle(time + QStringLiteral("  ") + date);
    };
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &window, tick);
    timer.start(500);
    tick();
    window.show();
    return QApplication::exec();
}
