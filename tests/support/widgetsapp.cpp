// Gives every test of an executable one QApplication, so widgets can be made, shown (on the
// offscreen platform) and sent input.
#include "tests/support/appenvironment.h"

#include <QApplication>

namespace {
[[maybe_unused]] const auto* const registered =
    ::testing::AddGlobalTestEnvironment(new AppEnvironment<QApplication>);
} // namespace
