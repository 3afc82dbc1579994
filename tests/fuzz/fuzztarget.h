#pragma once

// One parser of outside input, fed arbitrary bytes. The same target runs under libFuzzer (one
// executable per target, built by `tools/dev.sh fuzz`) and in the normal build's replay test, which
// runs every kept input of every target.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

namespace fuzz {

using TargetFn = void (*)(QByteArrayView data);

struct Target {
    const char* name;
    TargetFn run;
};

bool registerTarget(const char* name, TargetFn run);
[[nodiscard]] const std::vector<Target>& targets();

// Once per process: an offscreen application, a fresh program folder, a fixed PC clock, message
// boxes answered No, and no shell, program end or network reached.
void setUpEnvironment();

// A property that must hold beyond "no crash". A failure aborts, so libFuzzer keeps the input;
// the replay test installs a handler that records a test failure instead.
void check(bool holds, const char* what);
using CheckHandler = void (*)(const char* what);
void setCheckHandler(CheckHandler handler);

// The bytes as the program's texts arrive: GBK on the wire and in files.
[[nodiscard]] QString gbkText(QByteArrayView data);

} // namespace fuzz

#define BRELTO_FUZZ_TARGET(name)                                                                   \
    static void fuzzTarget_##name(QByteArrayView data);                                            \
    [[maybe_unused]] static const bool fuzzRegistered_##name = fuzz::registerTarget(#name, fuzzTarget_##name); \
    static void fuzzTarget_##name(QByteArrayView data)
