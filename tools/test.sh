#!/usr/bin/env bash
# Installs what is missing, builds the native core and the Windows target, and runs every test:
# native unit tests (ASan + UBSan, then ThreadSanitizer), a short run of every fuzz target,
# Windows tests and end-to-end tests under Wine on a private virtual display.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash tools/setup-deps.sh

passed=0
failed=0
# Runs ctest and adds its counts to the totals.
run_ctest() {
  local log
  log="$(mktemp)"
  ctest "$@" 2>&1 | tee "$log"
  local line
  line="$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$log" | tail -1)"
  if [ -z "$line" ]; then
    failed=$((failed + 1))
  else
    local total bad
    total="$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")"
    bad="$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")"
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  fi
  rm -f "$log"
}

build() { # preset [targets...]
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null || return 1
  cmake --build --preset "$preset" -j2 "$@"
}

echo "== native core (AddressSanitizer, UndefinedBehaviorSanitizer)"
if build native; then run_ctest --preset native; else failed=$((failed + 1)); fi

echo "== native core (ThreadSanitizer)"
if build native-tsan --target core_tests; then
  run_ctest --preset native-tsan
else
  failed=$((failed + 1))
fi

echo "== fuzz targets (libFuzzer, ${FUZZ_SECONDS:-20} s each)"
fuzz_log="$(mktemp)"
bash tools/fuzz.sh 2>&1 | tee "$fuzz_log"
fuzz_passed="$(grep -c '^fuzz: .* passed' "$fuzz_log")"
fuzz_failed="$(grep -c '^fuzz: .* FAILED' "$fuzz_log")"
# A build that fails names no target: count it as one failure.
if [ "$fuzz_passed" -eq 0 ] && [ "$fuzz_failed" -eq 0 ]; then fuzz_failed=1; fi
passed=$((passed + fuzz_passed))
failed=$((failed + fuzz_failed))
rm -f "$fuzz_log"

echo "== Windows target under Wine"
if build windows; then
  source tools/wine-env.sh
  source tools/xvfb.sh
  start_xvfb
  corvane_wine_prefix
  # One wineserver and its services for the whole run, started with no terminal attached.
  /usr/lib/wine/wineserver64 -p >/dev/null 2>&1 || true
  "$CORVANE_WINE" wineboot >/dev/null 2>&1 || true
  run_ctest --preset windows
  /usr/lib/wine/wineserver64 -k 2>/dev/null || true
else
  failed=$((failed + 1))
fi

echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
