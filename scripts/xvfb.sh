# Sourced by the stages that drive a real window: start_xvfb WIDTHxHEIGHT FIRST starts a
# virtual X display numbered FIRST to FIRST+8 (stages running side by side rarely meet),
# exports DISPLAY, waits until it takes clients, and stops it when the script exits.
start_xvfb() {
  local display=":$(($2 + RANDOM % 9))"
  Xvfb "$display" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  export DISPLAY=$display
  for _ in $(seq 50); do
    /usr/bin/python3 -c "from Xlib import display; display.Display()" 2>/dev/null && break
    sleep 0.1
  done
}
