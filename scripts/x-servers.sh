# x-servers.sh, sourced by the test and bench scripts: X servers of their own, each on a free
# display, with a window manager where one is named, all ended (with the Wine session) when the
# script exits.
x_pids=()
cleanup() {
  wineserver -k 2>/dev/null || true
  for pid in "${x_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT

# start_x [WINDOW MANAGER...]: an Xvfb on a free display, with the manager when one is
# named, once it has taken the screen; sets `display`.
start_x() {
  local displayfile number
  displayfile="$(mktemp)"
  # Xvfb picks a free display number itself and writes it to the given descriptor.
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  x_pids+=($!)
  for _ in $(seq 300); do
    [ -s "$displayfile" ] && break
    kill -0 "${x_pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  number="$(tr -dc 0-9 <"$displayfile")"
  rm -f "$displayfile"
  if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    exit 1
  fi
  display=":$number"
  if [ $# -gt 0 ]; then
    DISPLAY="$display" "$@" >/dev/null 2>&1 &
    x_pids+=($!)
    for _ in $(seq 100); do
      DISPLAY="$display" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
      sleep 0.1
    done
  fi
}
