#!/usr/bin/env bash
# Builds corvane.exe and bench/table_reader.exe and runs each for a minute under Wine, on a
# virtual display and in a Wine prefix of their own, and prints the CPU time each one used.
#
# The figure per program is its own process's user + system time (all its threads), read
# from /proc/<pid>/stat. The wineserver's time and that of Wine's helper processes (services,
# explorer, ...) are left out of it and printed on their own lines.
#
# Settings (environment): PERF_SECONDS (60), PERF_WARMUP (10; the steady-state figure covers
# the time after it), PERF_BUILD_DIR (build/perf-win, a build folder of its own so that the
# shared ones are not disturbed), PERF_PREFIX (/tmp/perf-prefix), PERF_TASKBAR (1: in a Wine
# desktop with a taskbar, corvane.exe floating and then docked on it, instead of the usual pair).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${PERF_BUILD_DIR:-$root/build/perf-win}"
seconds="${PERF_SECONDS:-60}"
warmup="${PERF_WARMUP:-10}"
export WINEPREFIX="${PERF_PREFIX:-/tmp/perf-prefix}"
wineserver=/usr/lib/wine/wineserver64
hz="$(getconf CLK_TCK)"

if [ "$warmup" -ge "$seconds" ]; then
  echo "PERF_WARMUP ($warmup) must be below PERF_SECONDS ($seconds)" >&2
  exit 2
fi

# Release build with the benchmarks' folder, without the tests.
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" --toolchain "$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCORVANE_BENCH=ON -DCORVANE_TESTS=OFF -G Ninja >/dev/null
fi
cmake --build "$build" -j2 --target corvane table_reader >/dev/null

source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
start_xvfb

program_pid=""
work_dir=""
cleanup() {
  if [ -n "$program_pid" ]; then
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
  fi
  timeout 30 "$wineserver" -w 2>/dev/null || true
  kill "$CORVANE_XVFB_PID" 2>/dev/null || true
  if [ -n "$work_dir" ]; then rm -rf "$work_dir"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# user + system clock ticks of a process, or nothing when it is gone.
ticks_of() {
  local stat rest
  stat="$(cat "/proc/$1/stat" 2>/dev/null)" || return 0
  rest="${stat##*) }" # the name in parentheses may hold spaces
  local -a fields
  read -ra fields <<<"$rest"
  echo $((fields[11] + fields[12]))
}

# "pid kind ticks" for every Wine process of our prefix except the program itself; kind is
# "server" for the wineserver and "helper" for Wine's own Windows processes.
prefix_processes() {
  local dir pid exe kind ticks
  for dir in /proc/[0-9]*; do
    pid="${dir#/proc/}"
    [ "$pid" = "$1" ] && continue
    exe="$(readlink "$dir/exe" 2>/dev/null)" || continue
    case "$exe" in */wine*) ;; *) continue ;; esac
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "$dir/environ" 2>/dev/null || continue
    case "$exe" in */wineserver*) kind=server ;; *) kind=helper ;; esac
    ticks="$(ticks_of "$pid")"
    [ -n "$ticks" ] && echo "$pid $kind $ticks"
  done
}

# Sum of the ticks per kind between two snapshots; a process new in the second counts in full.
ticks_between() { # kind first-snapshot second-snapshot
  awk -v kind="$1" 'NR == FNR { before[$1] = $3; next }
    $2 == kind { sum += $3 - ($1 in before ? before[$1] : 0) } END { print sum + 0 }' \
    <(echo "$2") <(echo "$3")
}

secs() { awk -v t="$1" -v hz="$hz" 'BEGIN { printf "%.2f", t / hz }'; }

alive_or_fail() {
  if ! kill -0 "$program_pid" 2>/dev/null; then
    local rc=0
    wait "$program_pid" || rc=$?
    echo "$1 ended early (exit code $rc): no figure" >&2
    program_pid=""
    exit 1
  fi
}

# Runs one program from a temporary folder of its own and prints its figures.
measure() { # exe-path [label config.ini-text]
  local name start_snap warm_snap end_snap warm_ticks end_ticks started elapsed
  name="$(basename "$1")"
  work_dir="$(mktemp -d "${TMPDIR:-/tmp}/corvane-perf.XXXXXX")"
  cp "$1" "$work_dir/"
  if [ $# -gt 2 ]; then printf '%b' "$3" >"$work_dir/config.ini"; fi
  # The previous program's Wine processes have ended, so this run starts its own wineserver.
  timeout 30 "$wineserver" -w 2>/dev/null || true
  start_snap="$(prefix_processes 0)"
  started="$(date +%s.%N)"
  (cd "$work_dir" && exec "$CORVANE_WINE" "./$name" >/dev/null 2>&1) &
  program_pid=$!
  sleep "$warmup"
  alive_or_fail "$name"
  warm_ticks="$(ticks_of "$program_pid")"
  warm_snap="$(prefix_processes "$program_pid")"
  sleep "$((seconds - warmup))"
  alive_or_fail "$name"
  end_ticks="$(ticks_of "$program_pid")"
  end_snap="$(prefix_processes "$program_pid")"
  elapsed="$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')"
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
  program_pid=""
  rm -rf "$work_dir"
  work_dir=""

  local steady=$((seconds - warmup))
  printf '%-18s %6s s CPU in %s s (last %s s: %s s)\n' "${2:-$name}" "$(secs "$end_ticks")" \
    "$elapsed" "$steady" "$(secs $((end_ticks - warm_ticks)))"
  printf '  %-16s %6s s (last %s s: %s s), not counted above\n' "wineserver" \
    "$(secs "$(ticks_between server "$start_snap" "$end_snap")")" "$steady" \
    "$(secs "$(ticks_between server "$warm_snap" "$end_snap")")"
  printf '  %-16s %6s s (last %s s: %s s), not counted above\n' "Wine helpers" \
    "$(secs "$(ticks_between helper "$start_snap" "$end_snap")")" "$steady" \
    "$(secs "$(ticks_between helper "$warm_snap" "$end_snap")")"
}

corvane_wine_prefix
echo "Wine prefix $WINEPREFIX, display $DISPLAY, $seconds s per program, clock $hz ticks/s"
if [ "${PERF_TASKBAR:-0}" = 1 ]; then
  explorer='HKCU\Software\Wine\Explorer'
  "$CORVANE_WINE" reg add "$explorer" /v Desktop /d Default /f >/dev/null 2>&1
  "$CORVANE_WINE" reg add "$explorer\Desktops" /v Default /d 1024x768 /f >/dev/null 2>&1
  "$CORVANE_WINE" reg add "$explorer\Desktops\Default" /v EnableShell /t REG_DWORD /d 1 /f \
    >/dev/null 2>&1
  measure "$build/src/app/corvane.exe" "corvane floating" ""
  measure "$build/src/app/corvane.exe" "corvane docked" "[display]\ndock=1\n"
else
  measure "$build/src/app/corvane.exe"
  measure "$build/bench/table_reader.exe"
fi
