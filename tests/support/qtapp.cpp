// Gives every test of an executable one QCoreApplication.
#include "tests/support/appenvironment.h"

namespace {
[[maybe_unused]] const auto* const registered =
    ::testing::AddGlobalTestEnvironment(new AppEnvironment<QCoreApplication>);
} // namespace
