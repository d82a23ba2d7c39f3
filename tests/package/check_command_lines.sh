#!/usr/bin/env bash
# The built executables answer --help and --version on stdout with status 0 before starting
# anything (no display, no port), and refuse an unknown option on stderr with status 2.
# usage: check_command_lines.sh <qivra28 or ""> <qivra28-service> <version>
set -uo pipefail
program="$1" service="$2" version="$3"
status=0
fail() { echo "FAIL: $*"; status=1; }

# expect <exe> <args> <status> <stdout> <stderr>: the outputs are extended regular expressions
# matched against the whole text (newlines included); "" means the output must be empty.
expect() {
  local exe="$1" args="$2" want="$3" out_re="$4" err_re="$5" name got out err
  name="$(basename "$exe") $args"
  local errfile; errfile="$(mktemp)"
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=none timeout 20 "$exe" $args 2>"$errfile")"
  got=$?
  err="$(cat "$errfile")"; rm -f "$errfile"
  [ "$got" -eq "$want" ] || fail "$name: status $got, expected $want"
  matches "$out" "$out_re" || fail "$name: stdout was '$out'"
  matches "$err" "$err_re" || fail "$name: stderr was '$err'"
}
matches() {
  if [ -z "$2" ]; then [ -z "$1" ]; else printf '%s' "$1" | grep -Ezq -- "^($2)$"; fi
}

v="${version//./\\.}"
expect "$service" --version 0 "qivra28-service \\(Qivra28\\) $v" ""
expect "$service" --help 0 'Usage: qivra28-service \[OPTION\]\.\.\..*--port=N.*--bind=ADDR.*--help.*--version.*' ""
expect "$service" --bogus 2 "" "qivra28-service: unrecognized option '--bogus'.Try 'qivra28-service --help' for more information\."
expect "$service" "--port 70000" 2 "" 'qivra28-service: not a port: 70000'
if [ -n "$program" ]; then
  expect "$program" --version 0 "qivra28 \\(Qivra28\\) $v" ""
  # Qt's own options are left alone; --help still answers before Qt starts.
  expect "$program" "-platform offscreen --help" 0 'Usage: qivra28 \[OPTION\]\.\.\..*--version.*' ""
  expect "$program" --bogus 2 "" "qivra28: unrecognized option '--bogus'.*"
fi
[ $status -eq 0 ] && echo "command lines OK"
exit $status
