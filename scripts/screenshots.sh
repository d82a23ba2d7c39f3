#!/usr/bin/env bash
# Pictures of the three windows, taken on a virtual display against the local results service,
# for the README: ./scripts/screenshots.sh [build-dir] (after ./run.sh or ./test.sh has built it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/run}"
cmake --build "$build" --target qivra28-screenshots qivra28-service
port=$(sed -n 's/^QIVRA_SERVICE_PORT:STRING=//p' "$build/CMakeCache.txt")
config_url="http://127.0.0.1:${port:-28028}/qivra/config.txt"
service_pid=""
if ! curl -fs -o /dev/null --max-time 2 "$config_url"; then
  "$build/service/qivra28-service" > /dev/null 2>&1 &
  service_pid=$!
  for _ in $(seq 1 50); do curl -fs -o /dev/null --max-time 1 "$config_url" && break; sleep 0.2; done
fi
trap '[ -n "$service_pid" ] && kill "$service_pid"' EXIT
xvfb-run -a -s "-screen 0 1280x900x24" "$build/program/qivra28-screenshots" "$root/docs/screenshots"
