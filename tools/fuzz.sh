#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") and runs each for FUZZ_SECONDS (default 20)
# against a copy of its seed corpus in build/fuzz/corpus, so the committed seeds never grow.
# Usage: tools/fuzz.sh [target...]   (default: every target in fuzz/corpus)
# Prints one line "fuzz: <target> passed|FAILED" per target and exits non-zero on any crash,
# leak, timeout or failed property; the input that failed is kept in build/fuzz/artifacts.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
seconds="${FUZZ_SECONDS:-20}"

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz -j2 --target "${targets[@]}" || exit 1

bin=build/fuzz/fuzz
work=build/fuzz/corpus
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
failed=0
for target in "${targets[@]}"; do
  rm -rf "${work:?}/$target"
  mkdir -p "$work/$target"
  cp fuzz/corpus/"$target"/* "$work/$target/" 2>/dev/null || true
  log="build/fuzz/$target.log"
  # -timeout: one input taking longer than 10 s is a hang; leaks are findings too.
  "$bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -detect_leaks=1 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$work/$target" >"$log" 2>&1
  status=$?
  summary="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)"
  runs="$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')"
  if [ $status -eq 0 ]; then
    echo "fuzz: $target passed ($runs runs; ${summary#*DONE   })"
  else
    failed=$((failed + 1))
    echo "fuzz: $target FAILED (exit $status, log $log)"
    grep -E 'ERROR|property failed|SUMMARY|Test unit written' "$log" | head -8 | sed 's/^/  /'
  fi
done
[ "$failed" -eq 0 ]
