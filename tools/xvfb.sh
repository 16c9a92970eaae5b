# Sourced: start_xvfb starts a private virtual display and exports DISPLAY; stopped on exit.
# The server picks a free display number itself (-displayfd): numbers guessed from lock files
# can be taken by another server that shares the abstract socket namespace.
start_xvfb() {
  local fifo
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  # In a session of its own: a Ctrl+C meant for the script must not take the display down.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  CORVANE_XVFB_PID=$!
  local n=""
  read -r -t 30 n <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$n" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$n"
  export CORVANE_XVFB_PID
  trap 'kill $CORVANE_XVFB_PID 2>/dev/null || true' EXIT
}
