#include "platform/eventwait.h"

namespace platform {

void pauseMs(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms > 0 ? ms : 0, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace platform
