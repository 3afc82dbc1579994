#!/usr/bin/env bash
# Runs a command on the current X display with a window manager (fluxbox, which has a tray), as a
# user's desktop has one; the window manager ends with the command.
set -u
home=$(mktemp -d)
mkdir -p "$home/.fluxbox"
# No toolbar clock or workspace names to fight over; the system tray stays in the toolbar.
printf 'session.screen0.toolbar.tools: iconbar, systemtray\nsession.screen0.toolbar.visible: true\n' \
    > "$home/.fluxbox/init"
# No wallpaper: without a wallpaper setter installed, fluxbox's fbsetbg would open a message window
# saying so, in every test's way.
mkdir -p "$home/bin"
printf '#!/bin/sh\nexit 0\n' > "$home/bin/fbsetbg"
chmod +x "$home/bin/fbsetbg"
HOME="$home" PATH="$home/bin:$PATH" fluxbox -rc "$home/.fluxbox/init" >/dev/null 2>&1 &
wm=$!
# Wait until the window manager has taken the root window.
for _ in $(seq 1 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
"$@"
rc=$?
# fluxbox can deadlock in its own TERM handler (it talks to the X server from inside the signal):
# give it two seconds, then end it for good.
kill "$wm" 2>/dev/null
for _ in $(seq 1 20); do
    kill -0 "$wm" 2>/dev/null || break
    sleep 0.1
done
kill -KILL "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
rm -rf "$home"
exit $rc
