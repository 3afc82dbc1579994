// The browser tests' application object. The web engine is prepared before it exists and loaded
// after, as in the program. Where the Qt platform needs a display and there is none,
// no application is made and the tests that need one skip.
#include "platform/browser.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class BrowserApp : public ::testing::Environment {
public:
    void SetUp() override {
        platform::prepareBrowserProcess();
        const QByteArray qpa = qgetenv("QT_QPA_PLATFORM");
        if (qpa != "offscreen" && qEnvironmentVariableIsEmpty("DISPLAY"))
            return;
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "brelto-test";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const auto* const registered =
    ::testing::AddGlobalTestEnvironment(new BrowserApp);

} // namespace
