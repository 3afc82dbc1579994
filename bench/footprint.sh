#!/usr/bin/env bash
# The program's footprint beside a bare Qt label and a bare web view: memory of every process,
# idle CPU on tab 1, start to the login window, login click to the first quote; three times: with
# the simulated configuration's advert page, without one, and without one with the news feed
# failing so that the news ticker stands still. Then the news ticker beside a bare program scrolling
# one label of the same text, with the service's titles and with a news title of 100,000
# characters. Run by hand after a build:
#   bench/footprint.sh [--idle-seconds N] [--no-advert-only] [--ticker-only] [--probe 'COMMAND {pid}']
# --idle-seconds: how long the idle measure lasts (60 by default); --no-advert-only: the last two
# runs and the ticker's only; --ticker-only: the ticker's runs only; --probe: a command run on the program while it idles (perf record -g -p {pid} ...,
# strace -f -c -p {pid} ...), whose own cost then spoils that run's figures.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BRELTO_BUILD_DIR:-$here/build}
driver=$build/bench/brelto-footprint
[ -x "$driver" ] || { echo "build first: cmake --build $build --target brelto-footprint" >&2; exit 2; }
exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$here/tools/withwm.sh" "$driver" "$@"
