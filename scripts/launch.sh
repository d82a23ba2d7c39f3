#!/usr/bin/env bash
# Starts the local results service (unless one answers already) and the program.
set -euo pipefail
build="$1"
if [ ! -x "$build/ui/qivra28" ]; then
  echo "qivra: built $(ls "$build"/*/lib*.a 2>/dev/null | xargs -n1 basename | tr '\n' ' ')"
  echo "qivra: the program window is not built yet"
  exit 0
fi
exec "$build/ui/qivra28"
