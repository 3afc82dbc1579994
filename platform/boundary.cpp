#include "platform/boundary.h"

#include "platform/vberror.h"

#include <exception>
#include <cstdio>

namespace platform {
namespace {

BoundaryLog& boundaryLog() {
    static BoundaryLog log = nullptr;
    return log;
}

} // namespace

void setBoundaryLog(BoundaryLog log) { boundaryLog() = log; }

QString currentFailureLine(const char* where) {
    const QString at = QStringLiteral(">>") + QString::fromUtf8(where);
    try {
        throw;
    } catch (const VbError& e) {
        return QString::number(e.number) + u':' + e.description + at;
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what()) + at;
    } catch (...) {
        return QStringLiteral("?") + at;
    }
}

void reportFailure(const char* where) noexcept {
    try {
        const QString line = currentFailureLine(where);
        if (const BoundaryLog log = boundaryLog())
            log(line);
        else
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    } catch (...) {
        // Not even the line could be made: the failure stays stopped, unreported.
    }
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = true;
    guarded("notify", [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace platform
