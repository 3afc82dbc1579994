#!/usr/bin/env bash
# Installs what the build needs from Debian's packages, builds, and runs the program or the tests.
#   bash tools/dev.sh run    build, then start the simulated service on its default ports and the
#                            program against it
#   bash tools/dev.sh test   build, then run every test
#   bash tools/dev.sh fuzz [SECONDS]
#                            build the fuzz targets with clang and the address and undefined-
#                            behaviour sanitizers (build-fuzz/), run each for SECONDS (default 60)
#   bash tools/dev.sh sanitize
#                            every test in an address + undefined-behaviour sanitizer build
#                            (build-asan/), the display tests on a virtual display; any report fails
#   BRELTO_JOBS              jobs the build and the tests run at once (default: every core)
# The first build from scratch takes about 10 minutes with 8 jobs and about 2 GB of disk; the
# tests take about 2 1/2 minutes without a display and 8 on it (see README).
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRELTO_BUILD_DIR:-$top/build}"
jobs="${BRELTO_JOBS:-$(nproc)}"
http_port=18631
user_port=18632

# Whether something answers on a local TCP port.
port_answers() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-httpserver-dev qt6-websockets-dev qt6-webengine-dev
    qt6-multimedia-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-arphic-uming fonts-wqy-microhei
    xvfb xauth fluxbox xdotool x11-utils curl
    libxcb1-dev
    clang
)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build_all() {
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    echo "Building in $build with $jobs jobs (the first build takes a while; later ones are quick)."
    cmake --build "$build" --parallel "$jobs"
}

case "${1:-}" in
run)
    install_packages
    build_all
    # The web engine refuses its sandbox to root; as root the web panes run without it.
    if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
    for port in $http_port $user_port; do
        if port_answers "$port"; then
            echo "Port $port on 127.0.0.1 is taken by another program (another simulated service?)." >&2
            echo "Stop it first; 'ss -ltnp' shows which program listens there." >&2
            exit 1
        fi
    done
    "$build/simservice/brelto-simservice" --http-port $http_port --user-port $user_port --seed 1 &
    service=$!
    trap 'kill $service 2>/dev/null' EXIT
    for _ in $(seq 50); do
        port_answers $http_port && break
        kill -0 $service 2>/dev/null || break
        sleep 0.2
    done
    if ! port_answers $http_port; then
        echo "The simulated service did not answer on 127.0.0.1:$http_port; see its message above." >&2
        exit 1
    fi
    echo "The simulated service answers: web service http://127.0.0.1:$http_port/, user server 127.0.0.1:$user_port."
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        echo "No display: the simulated service keeps running on 127.0.0.1:$http_port until Ctrl+C." >&2
        wait $service
    else
        "$build/app/brelto"
    fi
    ;;
test)
    install_packages
    build_all
    cd "$build"
    # Both phases run whatever the first gives, so a user hears about the display tests too; one
    # summary at the end says how each went, and the exit code fails when either did.
    run_phase() {
        local name=$1
        shift
        local began=$SECONDS
        rm -f Testing/Temporary/LastTestsFailed.log
        if "$@"; then
            results+=("$name: passed in $(clock $((SECONDS - began)))")
        else
            failures=1
            local failed=""
            [ -f Testing/Temporary/LastTestsFailed.log ] &&
                failed=" ($(cut -d: -f2 Testing/Temporary/LastTestsFailed.log | tr '\n' ' ' | sed 's/ $//'))"
            results+=("$name: FAILED$failed after $(clock $((SECONDS - began)))")
        fi
    }
    clock() { printf '%d min %02d s' $(($1 / 60)) $(($1 % 60)); }
    results=()
    failures=0
    # ctest prints a line as each test starts and ends.
    echo "Tests without a display (about 2 1/2 minutes; test_crashsafety alone about 2)..."
    run_phase "tests without a display" ctest --output-on-failure --parallel "$jobs" --timeout 600 -LE xvfb
    # The tests that need a real display (web pages, the whole program) run on a virtual one, with
    # a window manager and its tray as a user's desktop has them, one at a time.
    echo "Tests on a virtual display (about 8 minutes; the soak of the whole program takes 4)..."
    # A free display number is looked for from a random start: two suites starting together would
    # otherwise both find the same one, and the later X server would fail to start.
    run_phase "tests on a virtual display" xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x800x24" \
        bash "$top/tools/withwm.sh" \
        ctest --output-on-failure --timeout 600 -L xvfb
    echo
    printf '%s\n' "${results[@]}"
    exit $failures
    ;;
fuzz)
    install_packages
    bash "$top/tools/fuzz.sh" "${2:-60}"
    ;;
sanitize)
    install_packages
    bash "$top/tools/sanitize.sh"
    ;;
*)
    echo "usage: bash tools/dev.sh run|test|fuzz [SECONDS]|sanitize" >&2
    exit 2
    ;;
esac
