#!/usr/bin/env bash
# Every test in an AddressSanitizer + UndefinedBehaviorSanitizer build, the display tests on a
# virtual display with a window manager. Any report of either sanitizer, from a test or from a
# program a test starts, fails the run. Called by `bash tools/dev.sh sanitize`.
set -uo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRELTO_ASAN_DIR:-$top/build-asan}"
jobs="${BRELTO_ASAN_JOBS:-6}"
started=$(date +%s)

# float-cast-overflow is not part of "undefined": it is what a number beyond an integer's range in
# a settings file or an answer would meet.
flags="-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer"
# Instrumented code runs several times slower: the tests get longer time-outs.
# Line tables and light optimisation: the stack traces keep file and line, and the build is much
# cheaper than with full debug information.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DBRELTO_TEST_TIMEOUT=1200 \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined,float-cast-overflow" >/dev/null || exit 1
nice cmake --build "$build" --parallel "$jobs" || exit 1

reports="$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
# Reports go to files, so that a program started by a test (the real executable, a child writer)
# is heard as well as the test itself. Leaks are not memory errors, and the toolkit and the font
# library keep their caches until exit; they are left out.
strict="detect_leaks=0:abort_on_error=1:log_path=$reports/asan"
# The web engine deletes some of its objects through a base of another size (its own code, not
# ours): the tests that load it run without that one check.
web="$strict:new_delete_type_mismatch=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"
web_tests='browser|mainform|program|livelink|kline_xvfb|app_xvfb'

cd "$build" || exit 1
rc=0
ASAN_OPTIONS="$strict" ctest --output-on-failure --parallel "$jobs" --timeout 1200 -LE 'xvfb|soak' -E "$web_tests" || rc=1
ASAN_OPTIONS="$web" ctest --output-on-failure --parallel "$jobs" --timeout 1200 -LE 'xvfb|soak' -R "$web_tests" || rc=1
ASAN_OPTIONS="$web" xvfb-run -a -s "-screen 0 1280x800x24" bash "$top/tools/withwm.sh" \
    ctest --output-on-failure --timeout 1200 -L xvfb -LE soak || rc=1

if [ -n "$(ls -A "$reports")" ]; then
    echo "sanitizer reports:" >&2
    for f in "$reports"/*; do
        echo "== $f" >&2
        head -40 "$f" >&2
    done
    rc=1
fi
echo "sanitize: $([ $rc -eq 0 ] && echo passed || echo FAILED) in $(( $(date +%s) - started )) s"
exit $rc
