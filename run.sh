#!/usr/bin/env bash
# Installs what is needed, builds the program and the local results service, and runs them.
source "$(dirname "$0")/scripts/setup-common.sh"
qivra_install
qivra_build "$QIVRA_ROOT/build/run" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQIVRA_BUILD_TESTS=OFF
exec "$QIVRA_ROOT/scripts/launch.sh" "$QIVRA_ROOT/build/run"
