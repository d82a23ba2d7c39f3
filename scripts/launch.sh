#!/usr/bin/env bash
# Starts the local results service (unless one answers already) and the program. Without a
# display it runs the program on a virtual one and saves a screenshot once the history shows.
set -euo pipefail
build="$1"
service="$build/service/qivra28-service"
program="$build/program/bin/qivra28"
logdir="$build/run-logs"
mkdir -p "$logdir"

port=$(sed -n 's/^QIVRA_SERVICE_PORT:STRING=//p' "$build/CMakeCache.txt")
config_url="http://127.0.0.1:${port:-28028}/qivra/config.txt"

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT INT TERM

if curl -fs -o /dev/null --max-time 2 "$config_url"; then
  echo "qivra: a results service already answers at $config_url"
else
  "$service" > "$logdir/service.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 50); do
    curl -fs -o /dev/null --max-time 1 "$config_url" && break
    sleep 0.2
  done
  echo "qivra: started the local results service: $(head -n 1 "$logdir/service.log")"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "qivra: starting $program"
  "$program"
  exit $?
fi

# No display: a virtual one, the program on it, and a screenshot once the first refresh shows.
display=":$(( 90 + RANDOM % 100 ))"
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp > "$logdir/xvfb.log" 2>&1 &
pids+=($!)
sleep 1
export DISPLAY="$display"
shot="$build/qivra28-main-window.png"
"$program" > "$logdir/program.log" 2>&1 &
prog_pid=$!
pids+=($prog_pid)
for _ in $(seq 1 600); do
  grep -q "first refresh shown" "$logdir/program.log" && break
  kill -0 "$prog_pid" 2>/dev/null || { echo "qivra: the program ended:"; cat "$logdir/program.log"; exit 1; }
  sleep 0.1
done
sleep 1
import -window root "$shot"
echo "qivra: the program runs on the virtual display $display; screenshot of its window: $shot"
echo "qivra: press Ctrl-C to stop the program and the service"
wait "$prog_pid"
