#include "tests/fuzz/fuzztarget.h"

#include "common/appinfo.h"
#include "common/http.h"
#include "platform/clock.h"
#include "platform/gbk.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/shell.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

namespace {

std::vector<Target>& registry() {
    static std::vector<Target> r;
    return r;
}

CheckHandler& handler() {
    static CheckHandler h = nullptr;
    return h;
}

} // namespace

bool registerTarget(const char* name, TargetFn run) {
#ifdef BRELTO_FUZZ_ONLY
    // A libFuzzer executable runs the one target it was built for.
    if (std::strcmp(name, BRELTO_FUZZ_ONLY) != 0)
        return false;
#endif
    registry().push_back({name, run});
    return true;
}

const std::vector<Target>& targets() { return registry(); }

void check(bool holds, const char* what) {
    if (holds)
        return;
    if (handler() != nullptr) {
        handler()(what);
        return;
    }
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

void setCheckHandler(CheckHandler h) { handler() = h; }

QString gbkText(QByteArrayView data) { return platform::fromGbk(data); }

void setUpEnvironment() {
    static bool done = false;
    if (done)
        return;
    done = true;
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "brelto-fuzz";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    static QTemporaryDir folder;
    setProgramFolder(folder.path());
    platform::setPcClock([] { return platform::naiveDateTime(QDate(2026, 12, 10), QTime(10, 24, 36)); });
    platform::setMessageBoxHandler(
        [](const QString&, const QString&, platform::BoxButtons, platform::BoxIcon) { return platform::BoxAnswer::No; });
    platform::setShellOpener([](const QString&) { return true; });
    platform::setProgramEnder([](int) {});
    // Nothing reaches the network: a target that wants answers installs its own source.
    setHttpTextSource([](const QString&) { return QString(); });
}

} // namespace fuzz
