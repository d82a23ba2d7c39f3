#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite through ctest, then
# builds the suite again with AddressSanitizer and UndefinedBehaviorSanitizer and runs it once
# more; any sanitizer report (leaks included) fails the run. Both suites run even when the first
# fails. QIVRA_TEST_BUILD_ROOT moves both build trees.
source "$(dirname "$0")/scripts/setup-common.sh"
qivra_install
export QT_QPA_PLATFORM=offscreen
build_root="${QIVRA_TEST_BUILD_ROOT:-$QIVRA_ROOT/build}"
jobs="$(nproc)"

status=0
qivra_build "$build_root/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQIVRA_BUILD_TESTS=ON
ctest --test-dir "$build_root/test" --output-on-failure -j "$jobs" || status=1

# The options apply to the build too: test discovery runs the test programs.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:print_stacktrace=1:strict_init_order=1:detect_stack_use_after_return=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$QIVRA_ROOT/scripts/lsan.supp:print_suppressions=0"
# -O1 keeps the instrumented run fast enough while the stacks stay readable.
qivra_build "$build_root/test-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g" \
  -DQIVRA_SANITIZE=address,undefined -DQIVRA_BUILD_TESTS=ON
ctest --test-dir "$build_root/test-asan" --output-on-failure -j "$jobs" || status=1
exit $status
