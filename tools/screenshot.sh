#!/usr/bin/env bash
# Rewrites docs/main-window.png, the README's picture of the main window after login: the display
# test runs the real program on a virtual 1280 x 800 desktop with a window manager and keeps a
# picture of the whole screen, which is copied here. Then docs/news-*.png: the ticker a second
# apart, the broadcast list and the news markers on the intraday chart, from the news display test;
# and docs/text-advert.png, the bottom text advert, from the commands display test.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRELTO_BUILD_DIR:-$top/build}"

cmake --build "$build" --target test_program_xvfb test_news_xvfb test_commands_xvfb brelto
# The web engine refuses its sandbox to root; as root the web panes run without it.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" bash "$top/tools/withwm.sh" \
    "$build/tests/mainwindow/test_program_xvfb" \
    --gtest_filter='ProgramOnTheDesktop.MainWindowOnTheDesktopWithItsIconInTheTray'
mkdir -p "$top/docs"
cp "$build/gallery/program/main-window.png" "$top/docs/main-window.png"
echo "docs/main-window.png rewritten"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" bash "$top/tools/withwm.sh" \
    "$build/tests/mainwindow/test_news_xvfb"
for picture in news-ticker-1 news-ticker-2 news-broadcasts news-markers; do
    cp "$build/gallery/program/$picture.png" "$top/docs/$picture.png"
done
echo "docs/news-*.png rewritten"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" bash "$top/tools/withwm.sh" \
    "$build/tests/mainwindow/test_commands_xvfb" --gtest_filter='CommandsOnDisplay.TextAdvertInTheAdvertStrip'
cp "$build/gallery/program/text_advert.png" "$top/docs/text-advert.png"
echo "docs/text-advert.png rewritten"
