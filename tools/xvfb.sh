# Sourced: start_xvfb starts a private virtual display and exports DISPLAY; stopped on exit.
start_xvfb() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  # In a session of its own: a Ctrl+C meant for the script must not take the display down.
  setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
  # setsid may run it as a child of its own: the server's lock file names its process.
  CORVANE_XVFB_PID="$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)"
  export DISPLAY=":$n"
  trap 'kill $CORVANE_XVFB_PID 2>/dev/null || true' EXIT
}
