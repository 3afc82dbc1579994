#pragma once

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

// Gives every test of an executable one application object of type App, so event loops, timers,
// sockets (and for QApplication, widgets on the offscreen platform) run.
template <typename App>
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QCoreApplication::instance() == nullptr)
            m_app = std::make_unique<App>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "brelto-test";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<App> m_app;
};
