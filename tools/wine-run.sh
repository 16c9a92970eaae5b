#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix (ctest's emulator).
# Its output goes through a file: Wine's background services, started by whichever program
# needs them first, inherit that program's output and would otherwise hold ctest's pipe open.
source "$(dirname "$0")/wine-env.sh"
corvane_wine_prefix
out="$(mktemp)"
"$CORVANE_WINE" "$@" >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
