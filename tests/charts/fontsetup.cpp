// The program registers its font substitutions at start-up; the chart tests measure and draw
// text in those faces, so they do the same before any test runs.
#include "platform/fonts.h"

#include <gtest/gtest.h>

namespace {

class FontSetup : public ::testing::Environment {
public:
    void SetUp() override { platform::registerFontSubstitutions(); }
};

[[maybe_unused]] const auto* const registered = ::testing::AddGlobalTestEnvironment(new FontSetup);

} // namespace
