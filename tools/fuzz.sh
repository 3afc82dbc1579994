#!/usr/bin/env bash
# Builds the fuzz targets with clang under the address and undefined-behaviour sanitizers and runs
# each for SECONDS, printing executions and coverage per target. Called by
# `bash tools/dev.sh fuzz [SECONDS]`.
#   BRELTO_FUZZ_PARALLEL  targets run at once (default 1)
#   BRELTO_FUZZ_TARGETS   names to run (default: every target)
#   BRELTO_FUZZ_NO_BUILD  1: run the executables as last built
#   BRELTO_FUZZ_MAX_LEN   longest input tried (default 300000: past the push link's 256-KB frame
#                         limit, so a reader whose cost grows faster than its input shows; inputs
#                         still grow from small ones, so short runs stay quick)
# A failing input is kept in build-fuzz/artifacts/<target>/; copy it into
# tests/fuzz/regressions/<target>/ once mended, so the normal build replays it.
set -uo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRELTO_FUZZ_DIR:-$top/build-fuzz}"
seconds="${1:-60}"
max_len="${BRELTO_FUZZ_MAX_LEN:-300000}"
parallel="${BRELTO_FUZZ_PARALLEL:-1}"

if [ "${BRELTO_FUZZ_NO_BUILD:-0}" != 1 ]; then
    # float-cast-overflow is not part of "undefined": it is what a number beyond an integer's range
    # in a settings file or an answer meets.
    flags="-fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow -fno-sanitize-recover=all"
    flags+=" -fno-omit-frame-pointer"
    CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRELTO_FUZZ=ON \
        -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined,float-cast-overflow" \
        >/dev/null || exit 1
    nice cmake --build "$build" --parallel "${BRELTO_FUZZ_JOBS:-6}" --target brelto_fuzz_all || exit 1
fi

targets="${BRELTO_FUZZ_TARGETS:-$(find "$build/tests/fuzz" -maxdepth 1 -type f -executable -name 'fuzz_*' -printf '%f\n' | sed 's/^fuzz_//' | sort)}"
export QT_QPA_PLATFORM=offscreen
# Leaks are left out: the toolkit keeps its caches until exit.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_one() {
    local name=$1
    local work="$build/corpus/$name" artifacts="$build/artifacts/$name" log="$build/logs/$name.log"
    mkdir -p "$work" "$artifacts" "$(dirname "$log")"
    local dirs=("$work")
    for kind in corpus regressions; do
        [ -d "$top/tests/fuzz/$kind/$name" ] && dirs+=("$top/tests/fuzz/$kind/$name")
    done
    nice "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -max_len="$max_len" \
        -rss_limit_mb=2048 -artifact_prefix="$artifacts/" "${dirs[@]}" >"$log" 2>&1
    local rc=$?
    local execs cov speed
    execs=$(grep -a -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -a -o '[0-9]*$' | tail -1)
    cov=$(grep -a -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
    speed=$(grep -a -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -a -o '[0-9]*$' | tail -1)
    local start_cov end_cov features
    start_cov=$(grep -a -o 'INITED cov: [0-9]*' "$log" | grep -a -o '[0-9]*$' | head -1)
    end_cov=$(echo "$cov" | awk '{print $2}')
    features=$(echo "$cov" | awk '{print $4}')
    printf '%-18s %-6s executions %-10s %6s/s  coverage %s edges (%s at the start), %s features\n' "$name" \
        "$([ $rc -eq 0 ] && echo ok || echo FAILED)" "${execs:-?}" "${speed:-?}" "${end_cov:-?}" \
        "${start_cov:-?}" "${features:-?}"
    if [ $rc -ne 0 ]; then
        grep -a -m5 -E 'ERROR|fuzz check failed|runtime error|Test unit written' "$log" | sed 's/^/    /'
        return 1
    fi
}

rc=0
pids=()
for name in $targets; do
    run_one "$name" &
    pids+=($!)
    if [ ${#pids[@]} -ge "$parallel" ]; then
        wait "${pids[0]}" || rc=1
        pids=("${pids[@]:1}")
    fi
done
for p in "${pids[@]}"; do wait "$p" || rc=1; done
exit $rc
