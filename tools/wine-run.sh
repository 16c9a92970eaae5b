#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix (ctest's emulator).
source "$(dirname "$0")/wine-env.sh"
corvane_wine_prefix
exec "$CORVANE_WINE" "$@"
