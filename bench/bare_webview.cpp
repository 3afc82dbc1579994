// A Qt program holding one web view and nothing else, showing the address given (about:blank
// without one). The footprint run measures the program with a web page shown against it.
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWebEngineView view;
    view.setWindowTitle(QStringLiteral("bare web view"));
    view.resize(800, 120);
    const QStringList args = QCoreApplication::arguments();
    view.setUrl(QUrl::fromUserInput(args.size() > 1 ? args.at(1) : QStringLiteral("about:blank")));
    view.show();
    return app.exec();
}
