// Gives every test of an executable one QApplication, so widgets can be made, shown (on the
// offscreen platform) and sent input.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class WidgetsAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QCoreApplication::instance() == nullptr)
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
    ::testing::AddGlobalTestEnvironment(new WidgetsAppEnvironment);

} // namespace
