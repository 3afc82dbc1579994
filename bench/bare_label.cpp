// The smallest Qt Widgets program with a window: one label. The footprint run measures the program
// against it.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("行情"));
    label.setWindowTitle(QStringLiteral("bare label"));
    label.resize(320, 120);
    label.show();
    return app.exec();
}
