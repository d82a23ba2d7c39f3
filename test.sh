#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite through ctest.
source "$(dirname "$0")/scripts/setup-common.sh"
qivra_install
export QT_QPA_PLATFORM=offscreen
qivra_build "$QIVRA_ROOT/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQIVRA_BUILD_TESTS=ON
ctest --test-dir "$QIVRA_ROOT/build/test" --output-on-failure -j "$(nproc)"
