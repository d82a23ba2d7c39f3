#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour sanitizers) and runs
# one or all of them for the given number of seconds each, at low priority.
#   scripts/fuzz.sh <target|all> <seconds> [extra libFuzzer flags...]
# Targets: feed remote_config store formula plan_list cookies headers archive_csv kept_choices.
# New inputs go to build/rel-fuzz/corpus/<target>; findings to build/rel-fuzz/findings/<target>.
source "$(dirname "$0")/setup-common.sh"

QIVRA_FUZZ_TARGETS=(feed remote_config store formula plan_list cookies headers archive_csv kept_choices)
target="${1:?usage: scripts/fuzz.sh <target|all> <seconds> [libFuzzer flags]}"
seconds="${2:?usage: scripts/fuzz.sh <target|all> <seconds> [libFuzzer flags]}"
shift 2

if [ "$target" = all ]; then
  targets=("${QIVRA_FUZZ_TARGETS[@]}")
else
  targets=("$target")
fi

qivra_install
dir="${QIVRA_FUZZ_BUILD:-$QIVRA_ROOT/build/rel-fuzz}"
cmake -S "$QIVRA_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQIVRA_FUZZ=ON -DQIVRA_BUILD_GUI=OFF -DQIVRA_BUILD_TESTS=OFF \
  -DQIVRA_SANITIZE=address,undefined,fuzzer-no-link >/dev/null
nice -n 19 cmake --build "$dir" -j "${QIVRA_JOBS:-2}" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
status=0
for t in "${targets[@]}"; do
  work="$dir/corpus/$t"
  findings="$dir/findings/$t"
  mkdir -p "$work" "$findings"
  echo "qivra: fuzzing $t for ${seconds}s"
  # The working corpus first (new inputs land there), then the seeds kept with the sources.
  nice -n 19 "$dir/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" "$@" \
    "$work" "$QIVRA_ROOT/fuzz/corpus/$t" || status=1
done
exit $status
