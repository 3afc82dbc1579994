#include "platform/eventwait.h"

#include <QCoreApplication>

namespace platform {
namespace {

struct Ending {
    bool requested = false;
    int code = 0;
};

Ending& ending() {
    static Ending e;
    return e;
}

} // namespace

void endEventLoops(int code) {
    if (!ending().requested)
        ending() = {true, code};
    // Leaves every loop now running, the nested ones included, and makes Qt refuse to start new
    // ones. Before the main loop has run this alone is lost (exec() clears it), hence the flag.
    QCoreApplication::exit(code);
}

bool programEnding() { return ending().requested; }

int runMainLoop() {
    const int code = ending().requested ? ending().code : QCoreApplication::exec();
    ending() = {};
    return code;
}

void pauseMs(int ms) {
    if (programEnding())
        return;
    QEventLoop loop;
    QTimer::singleShot(ms > 0 ? ms : 0, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace platform
