// The smallest Qt Widgets program that scrolls a text as the news ticker does: one label moved a
// pixel to the left every 20 ms across a strip, re-entering from the right once it has passed.
// The footprint run measures the ticker against it. The text comes from the UTF-8 file named by
// the first argument (a long text does not fit a command line).
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QString text = QStringLiteral("行情");
    if (argc > 1) {
        QFile file(QString::fromLocal8Bit(argv[1]));
        if (file.open(QIODevice::ReadOnly))
            text = QString::fromUtf8(file.readAll());
    }
    QWidget strip;
    strip.setWindowTitle(QStringLiteral("bare scroller"));
    strip.resize(1280, 20);
    QLabel label(text, &strip);
    label.setTextFormat(Qt::PlainText);
    label.adjustSize();
    label.move(strip.width(), 1);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const int left = label.x() - 1;
        label.move(left <= -label.width() ? strip.width() : left, label.y());
    });
    tick.start(20);
    strip.show();
    return app.exec();
}
