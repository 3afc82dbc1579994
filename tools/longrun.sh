#!/usr/bin/env bash
# A long run of the real program against the simulated service, which misbehaves every few
# seconds (its fault switches and the push link's modes) while the user switches chart ranges,
# and whose clock crosses into a new trading day during the run. At the end it prints the
# program's resident memory at the start and the end, its CPU time, and checks that nothing was
# lost: the program alive, the board following the service, a log without a crash, the alerts
# and settings still there after the program ends.
#
#   tools/longrun.sh [build-dir] [seconds]      (defaults: ./build, 1200)
#
# It starts its own virtual display with a window manager when none is set. Not a test: it
# takes as long as it is told to. The service's requests and the program's files stay in the
# work folder it names at the end.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
seconds=${2:-1200}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$here/tools/withwm.sh" bash "$0" "$build" "$seconds"
fi

work=$(mktemp -d /tmp/brelto-longrun.XXXXXX)
prog="$work/program"
mkdir -p "$prog/tmp" "$prog/run"
chmod 700 "$prog/run"
cp "$build/app/brelto" "$prog/brelto"

free_port() {
    local p
    while :; do
        p=$((20000 + RANDOM % 40000))
        ss -ltn | grep -q ":$p " || { echo "$p"; return; }
    done
}
http=$(free_port)
user=$(free_port)
"$build/simservice/brelto-simservice" --http-port "$http" --user-port "$user" --seed 1 \
    --fault-delay-ms 3000 --log-requests >"$work/service.txt" 2>&1 &
service=$!
sim() { curl -s -m 5 "http://127.0.0.1:$http/sim/$1" >/dev/null; }
for _ in $(seq 1 50); do
    curl -s -m 1 "http://127.0.0.1:$http/sim/fault" >/dev/null && break
    sleep 0.1
done

# The service clock starts a third of the run before the new trading day's reset (06:04), so
# the program, which takes the service's time at its start, crosses into the next day mid-run.
cross_after=$((seconds / 3))
clock=$(date -u -d "2026-12-09 06:04:00 UTC - $cross_after seconds" '+%Y-%-m-%-d %H:%M:%S')
sim "scenario?clock=${clock// /%20}"
clock_set=$(date +%s)

# A member who logs in by himself, on the intraday tab, with two alerts that the market never
# meets; the password as the program stores it (two table characters a byte, mix 0).
encoded=$(python3 -c '
t = "QWERTYUPASDFGHJKLZXCVBqwertyupasdfghjkzxcvbn98765432"
print("".join(t[b % 52] + t[8 * (b // 52)] for b in b"vip888"))')
printf '[Main Set]\r\nautologin=1\r\nusername=vip\r\nuserpass=%s\r\ntab=2\r\ntx=2\r\ntx1=0,0,99999\r\ntx2=1,1,0.01\r\n' \
    "$encoded" >"$prog/set.ini"

host="127.0.0.1:$http"
(cd "$prog" && exec env QT_QPA_PLATFORM=xcb TMPDIR="$prog/tmp" XDG_RUNTIME_DIR="$prog/run" \
    BRELTO_CONFIG_HOSTS="$host;$host;$host" QTWEBENGINE_DISABLE_SANDBOX=1 \
    ./brelto >"$work/output.txt" 2>&1) &
pid=$!

main=""
for _ in $(seq 1 60); do
    main=$(xdotool search --onlyvisible --pid "$pid" --name '^Quillor V' 2>/dev/null | head -1)
    [ -n "$main" ] && break
    sleep 1
done
if [ -z "$main" ]; then
    echo "FAIL: no main window; program output:"
    tail -20 "$work/output.txt"
    kill "$service"
    exit 1
fi
sleep 20
rss() { awk '/^VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null; }
cpu_seconds() {
    awk -v hz="$(getconf CLK_TCK)" '{printf "%.1f", ($14 + $15) / hz}' "/proc/$pid/stat" 2>/dev/null
}
rss_start=$(rss)
rss_peak=$rss_start
echo "program $pid, service on $http/$user, work folder $work"
echo "resident memory at start: $rss_start KiB"

# The program asks "retry?" (an untitled box, so titled with the program's title) when every server failed a
# history: the user answers Yes, as one who wants to go on does. Keys wait until it is answered.
retries=0
answer_boxes() {
    local box
    for box in $(xdotool search --all --onlyvisible --pid "$pid" --name '^Quillor$' 2>/dev/null); do
        xdotool windowactivate --sync "$box" >/dev/null 2>&1
        xdotool key --clearmodifiers alt+y >/dev/null 2>&1
        retries=$((retries + 1))
        sleep 1
    done
}
press() {
    answer_boxes
    xdotool windowactivate --sync "$main" >/dev/null 2>&1
    xdotool key --clearmodifiers "$1" >/dev/null 2>&1
}

faults=(
    "fault?mode=empty&endpoint=snapshot&times=2"
    "fault?mode=garbage&endpoint=snapshot&times=2"
    "fault?mode=404&endpoint=snapshot&times=1"
    "fault?mode=close&endpoint=snapshot&times=2"
    "fault?mode=delay&endpoint=snapshot&times=1"
    "fault?mode=delay&endpoint=intraday&times=1"
    "fault?mode=garbage&endpoint=intraday&times=1"
    "fault?mode=delay&endpoint=tenday&times=1"
    "fault?mode=empty&endpoint=tenday&times=1"
    "fault?mode=delay&endpoint=year&times=1"
    "fault?mode=garbage&endpoint=year&times=1"
    "fault?mode=delay&endpoint=hello&times=1"
    "fault?mode=garbage&endpoint=hello&times=1"
    "fault?mode=close&endpoint=any&times=2"
    "fault?path=/soft/news.asp&mode=delay&times=1"
    "fault?path=/soft/news.asp&mode=garbage&times=1"
    "fault?delayms=1500"
    "fault?delayms=8000"
    "user?mode=split"
    "user?mode=twoframes"
    "user?mode=silent"
    "user?mode=drop"
    "user?mode=down"
)
# The long ranges first, so the daily histories are in hand before the day changes.
for k in alt+q alt+w alt+e alt+r alt+t alt+1; do
    press "$k"
    sleep 3
done

# No Escape among them: the board tab in front draws no long-range chart, so nothing would
# fetch a history after the day changes.
keys=(alt+1 alt+2 alt+3 alt+4 alt+0 alt+q alt+w F3)
start=$(date +%s)
end=$((start + seconds))
count=0
while [ "$(date +%s)" -lt "$end" ]; do
    kill -0 "$pid" 2>/dev/null || break
    f=${faults[RANDOM % ${#faults[@]}]}
    sim "$f"
    count=$((count + 1))
    # A link mode or a slow service lasts a while, then the link comes back.
    if [ $((count % 4)) -eq 0 ]; then
        sim "user?mode=none"
        sim "fault?delayms=3000"
    fi
    answer_boxes
    [ $((count % 3)) -eq 0 ] && press "${keys[RANDOM % ${#keys[@]}]}"
    r=$(rss)
    [ -n "$r" ] && [ "$r" -gt "$rss_peak" ] && rss_peak=$r
    sleep $((3 + RANDOM % 4))
done
ran=$(($(date +%s) - start))

# The service behaves again; the program has half a minute to show it.
sim "fault?reset=1"
sim "user?mode=none"
sim "fault?delayms=3000"
failed=0
check() {
    if [ "$1" = ok ]; then echo "ok: $2"; else echo "FAIL: $2"; failed=1; fi
}
sleep 30
alive=no
kill -0 "$pid" 2>/dev/null && alive=ok
check "$alive" "the program is alive after $ran s and $count faults"
rss_end=$(rss)
cpu=$(cpu_seconds)

# The board follows the service: the live link is up again or the snapshots are polled, and the
# board's picture changes as the market moves.
shot() { import -window root "$1" 2>/dev/null; }
press Escape
sleep 2
shot "$work/board1.png"
sleep 15
shot "$work/board2.png"
linked=no
ss -tnp 2>/dev/null | grep "pid=$pid," | grep -q ":$user " && linked=ok
recent=$(awk -v since="$(date -d '-40 seconds' +%H:%M:%S)" '$1 == "request" && $2 >= since && /m=now-price/' \
    "$work/service.txt" | wc -l)
if [ "$linked" = ok ] || [ "$recent" -gt 0 ]; then following=ok; else following=no; fi
check "$following" "quotes reach the program (live link: $linked; snapshots polled in the last 40 s: $recent)"
changed=$(compare -metric AE "$work/board1.png" "$work/board2.png" null: 2>&1 | awk '{print int($1)}')
[ "${changed:-0}" -gt 0 ] && moved=ok || moved=no
check "$moved" "the board's picture moved with the market ($changed pixels changed in 15 s)"

# The new trading day: a daily history the program held before the day changed was fetched
# again after it.
crossed=$(date -d "@$((clock_set + cross_after))" +%H:%M:%S)
refetched=$(awk -v since="$crossed" '
    $1 == "request" && match($3, /m=P365-[^&]*/) {
        code = substr($3, RSTART + 7, RLENGTH - 7)
        if ($2 < since) before[code] = 1
        else if (code in before) again[code] = 1
    }
    END { n = 0; for (c in again) n++; print n }' "$work/service.txt")
[ "$refetched" -gt 0 ] && day=ok || day=no
check "$day" "daily histories held before the day changed ($crossed) fetched again after it: $refetched instruments"

# The log holds only the program's own kinds of lines, and nothing crashed.
known='连接[23]号服务器\.\.\.|错误：初始化连接全部失败\.|0: Loadserver\.|Change Server to:|Change User Server to:|USER SOCK ERR:|>LoadData>>|>LoadALLData|>>LoadNews|:Login>>| GetCon\.|加载失败:|加载资讯失败\.>>LoadNews|资讯有[0-9]+条格式不对|RefreshK>>'
log_lines=0
foreign=0
if [ -f "$prog/log.txt" ]; then
    log_lines=$(iconv -f GBK -t UTF-8 "$prog/log.txt" | grep -c .)
    foreign=$(iconv -f GBK -t UTF-8 "$prog/log.txt" | tr -d '\r' | grep . | grep -Evc "$known")
fi
check "$([ "$foreign" -eq 0 ] && echo ok)" "log: $log_lines lines, $foreign of an unknown kind"
crash=$(grep -Eic 'segmentation|aborted|fatal|terminate called|core dumped' "$work/output.txt")
check "$([ "$crash" -eq 0 ] && echo ok)" "no crash in the program's output"

# The program ends as a user ends it; the alerts and the remembered login are still in set.ini.
press alt+F4
for _ in $(seq 1 30); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 1
done
ended=no
kill -0 "$pid" 2>/dev/null || ended=ok
check "$ended" "the program ends on Alt+F4"
kill "$pid" 2>/dev/null
ini=$(tr -d '\r' <"$prog/set.ini")
settings=no
grep -qx 'tx=2' <<<"$ini" && grep -qx 'tx1=0,0,99999' <<<"$ini" && grep -qx 'tx2=1,1,0.01' <<<"$ini" &&
    grep -qx 'username=vip' <<<"$ini" && settings=ok
check "$settings" "alerts and login remembered in set.ini"
kill "$service" 2>/dev/null

echo
echo "ran:                          $ran s, $count faults, $retries retry questions answered Yes"
echo "resident memory at start:     $rss_start KiB"
echo "resident memory at end:       $rss_end KiB (peak seen $rss_peak KiB)"
echo "CPU time (user + system):     $cpu s"
echo "work folder:                  $work"
exit $failed
