#!/usr/bin/env bash
# Installs what is missing, builds Kastra, prepares its run folder (the six
# shader files and a dat/ folder of generated sample volumes and a real CT
# converted from Debian's examples) and starts it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages "${KASTRA_SAMPLE_PACKAGES[@]}"
build "$KASTRA_ROOT/build" -DCMAKE_BUILD_TYPE=Release -DKASTRA_BUILD_TESTS=OFF

run_dir="$KASTRA_ROOT/build/run"
"$KASTRA_ROOT/build/tools/kastra-make-volumes" "$run_dir/dat"
convert_sample_ct "$run_dir/dat"

cd "$run_dir"
# The view draws through GLX.
export QT_QPA_PLATFORM=xcb
[ -n "${DISPLAY:-}" ] || echo "- No display: starting on a virtual one (Xvfb)."
with_display ./kastra
