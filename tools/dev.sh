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
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRELTO_BUILD_DIR:-$top/build}"

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-httpserver-dev qt6-websockets-dev qt6-webengine-dev
    qt6-multimedia-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-arphic-uming fonts-wqy-microhei
    xvfb xauth fluxbox xdotool x11-utils
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
    cmake --build "$build" --parallel "$(nproc)"
}

case "${1:-}" in
run)
    install_packages
    build_all
    # The web engine refuses its sandbox to root; as root the web panes run without it.
    if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
    "$build/simservice/brelto-simservice" --http-port 18631 --user-port 18632 --seed 1 &
    service=$!
    trap 'kill $service 2>/dev/null' EXIT
    sleep 1
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        echo "No display: the simulated service keeps running on 127.0.0.1:18631 until Ctrl+C." >&2
        wait $service
    else
        "$build/app/brelto"
    fi
    ;;
test)
    install_packages
    build_all
    cd "$build"
    ctest --output-on-failure --parallel "$(nproc)" --timeout 600 -LE xvfb
    # The tests that need a real display (web pages, the whole program) run on a virtual one, with
    # a window manager and its tray as a user's desktop has them.
    xvfb-run -a -s "-screen 0 1280x800x24" bash "$top/tools/withwm.sh" \
        ctest --output-on-failure --timeout 600 -L xvfb
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
