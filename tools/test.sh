#!/usr/bin/env bash
# Installs what is missing, builds Kastra and runs the whole test suite,
# headless under Xvfb when there is no display.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build "$KASTRA_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKASTRA_BUILD_TESTS=ON

cd "$KASTRA_ROOT/build"
with_display ctest --output-on-failure -j 2
