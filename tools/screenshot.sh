#!/usr/bin/env bash
# Takes the README's pictures: builds Kastra, generates the sample volumes and
# photographs the main window ray casting the real CT head on a virtual
# display, into docs/kastra-head.png (or the path given), and once more
# opened as a scan (a NIfTI file of it) into kastra-open.png beside it, and
# the gallery of presets on both heads into presets/ beside it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

output=$(realpath -m "${1:-$KASTRA_ROOT/docs/kastra-head.png}")
install_packages "${KASTRA_SAMPLE_PACKAGES[@]}"
build "$KASTRA_ROOT/build" -DCMAKE_BUILD_TYPE=Release

run_dir="$KASTRA_ROOT/build/run"
"$KASTRA_ROOT/build/tools/kastra-make-volumes" "$run_dir/dat"
convert_sample_ct "$run_dir/dat"
mkdir -p "$(dirname "$output")"
cd "$run_dir"
# Always a virtual display of a fixed size, so the picture does not depend on the desktop.
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$KASTRA_ROOT/build/tools/kastra-screenshot" "$output" ct-head.dat composite

# The same CT exported as a NIfTI file and opened as a user opens a scan: the
# converter runs as a child process into a cache of its own here.
scan=$(mktemp -d)
"$KASTRA_ROOT/build/convert/kastra-convert" dat/ct-head.dat "$scan/ct-head.nii.gz" >/dev/null
XDG_CACHE_HOME="$scan/cache" XDG_CONFIG_HOME="$scan/config" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" "$KASTRA_ROOT/build/tools/kastra-screenshot" \
  "$(dirname "$output")/kastra-open.png" "$scan/ct-head.nii.gz" composite
rm -rf "$scan"

# The real CT in four panes.
XDG_CONFIG_HOME=$(mktemp -d) QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$KASTRA_ROOT/build/tools/kastra-screenshot" "$(dirname "$output")/four-panes.png" ct-head.dat panes

# The presets' gallery: each on the real CT and on the generated head.
mkdir -p "$(dirname "$output")/presets"
index=0
for preset in "CT: Knochen" "CT: Haut und Knochen" "CT: Weichteile und Gefäße (Kontrast)" \
  "CT: Lunge und Atemwege" "MR: Gehirn" "Graurampe (1. bis 99,5. Perzentil)" \
  "Objekt vor durchsichtigem Hintergrund"; do
  index=$((index + 1))
  for volume in ct-head head; do
    XDG_CONFIG_HOME=$(mktemp -d) QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
      "$KASTRA_ROOT/build/tools/kastra-screenshot" \
      "$(dirname "$output")/presets/$volume-$index.png" "$volume.dat" composite "$preset"
  done
done
