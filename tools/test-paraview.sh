#!/usr/bin/env bash
# Checks the ParaView path for volumes too large for one machine
# (tools/paraview/render_volume.py; README, "Large volumes on a cluster"):
# renders a generated volume with a Kastra transfer function on one MPI rank
# and on two, and checks that the two ranks held different parts, that the
# pictures agree and are not empty, that a bad function file is refused, and
# that the picture comes close to Kastra's own of the same volume and table.
# Kept out of test.sh: ParaView and MPI are about 750 MB of packages.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build_dir=$KASTRA_ROOT/build-paraview
work=$build_dir/paraview-check
script=$KASTRA_ROOT/tools/paraview/render_volume.py
size=(400 300)

# ParaView and MPI; NumPy and Pillow to compare the pictures. Debian's
# python3-paraview conflicts with python3-vtk9, which the peer renderer
# needs: it is unpacked into the build folder, never installed.
install_packages paraview openmpi-bin python3-numpy python3-pil
python_root=$build_dir/python3-paraview
if [ ! -d "$python_root/usr/lib/python3/dist-packages/paraview" ]; then
  echo "- Unpacking python3-paraview into $python_root"
  version=$(dpkg-query -W -f='${Version}' paraview)
  download=$(mktemp -d)
  # Package lists may be gone where nothing was missing: fetch them then.
  (cd "$download" && apt-get download -q "python3-paraview=$version") || {
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    (cd "$download" && apt-get download -q "python3-paraview=$version")
  }
  rm -rf "$python_root"
  mkdir -p "$python_root"
  dpkg-deb -x "$download"/python3-paraview_*.deb "$python_root"
  rm -rf "$download"
fi
export PYTHONPATH=$python_root/usr/lib/python3/dist-packages${PYTHONPATH:+:$PYTHONPATH}

# Only the three programs this check runs: the sample volumes, the converter
# for the NRRD export, and the picture benchmark for Kastra's own picture.
cmake -S "$KASTRA_ROOT" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" -j "$(nproc)" \
  --target kastra-make-volumes kastra-convert kastra-bench-picture

# Debian's ParaView renders through X only. The virtual display must not
# reset between ParaView's connections: after a reset the MPI ranks can
# disagree and wait for each other for ever, hence the time limit too.
on_display() {
  if [ -n "${DISPLAY:-}" ]; then
    timeout 600 "$@"
  else
    timeout 600 xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$@"
  fi
}
mpi=(mpiexec --oversubscribe)
[ "$(id -u)" -eq 0 ] && mpi+=(--allow-run-as-root)

rm -rf "$work"
mkdir -p "$work"
"$build_dir/tools/kastra-make-volumes" "$work" >/dev/null
"$build_dir/convert/kastra-convert" "$work/engine.dat" "$work/engine.nrrd" >/dev/null

# A coloured function over the engine's densities, points in no order and
# one on the window's edge; and the picture benchmark's white table
# (transfer points at x 77 and 770 of 771, opacity 50 of 200 at the top),
# as a file.
cat >"$work/colours.json" <<'EOF'
{"kastra-transfer-function": 1, "densityWindow": [300, 4095],
 "points": [{"density": 3000, "opacity": 0.6, "color": [240, 240, 220]},
            {"density": 1600, "opacity": 0.0, "color": [255, 200, 150]},
            {"density": 1950, "opacity": 0.05, "color": [220, 120, 90]},
            {"density": 2600, "opacity": 0.0, "color": [200, 200, 255]},
            {"density": 4095, "opacity": 1.0, "color": [255, 255, 255]}]}
EOF
cat >"$work/white.json" <<'EOF'
{"kastra-transfer-function": 1, "densityWindow": [0, 4095],
 "points": [{"density": 408, "opacity": 0.0, "color": [255, 255, 255]},
            {"density": 4089, "opacity": 0.25, "color": [255, 255, 255]}]}
EOF
echo '{"kastra-transfer-function": 1, "densityWindow": [0, 4095], "points": [{"density": 9}]}' \
  >"$work/bad.json"

# render NAME RANKS FUNCTION: the engine into NAME.png, pvbatch's output in
# NAME.log, shown indented.
render() {
  local name=$1 ranks=$2 function=$3 started
  local command=(pvbatch "$script" "$work/engine.nrrd" "$work/$function" "$work/$name.png"
    --size "${size[@]}")
  [ "$ranks" -gt 1 ] && command=("${mpi[@]}" -n "$ranks" "${command[@]}")
  started=$(date +%s%N)
  if ! on_display "${command[@]}" >"$work/$name.log" 2>&1; then
    cat "$work/$name.log"
    echo "- $name: pvbatch failed"
    exit 1
  fi
  echo "- $name: $ranks rank(s), $((($(date +%s%N) - started) / 1000000)) ms in all"
  sed 's/^/    /' "$work/$name.log"
}

# compare A B MEAN SHARE: the mean absolute difference of the two pictures
# (8-bit channels) must be at most MEAN, and the share of pixels where a
# channel differs by more than 16 at most SHARE; each must show something.
compare() {
  /usr/bin/python3 - "$@" <<'EOF'
import sys
import numpy as np
from PIL import Image
a, b = (np.asarray(Image.open(p).convert("RGB")).astype(int) for p in sys.argv[1:3])
mean, share = float(sys.argv[3]), float(sys.argv[4])
if a.shape != b.shape:
    sys.exit("    pictures of different sizes: %s, %s" % (a.shape, b.shape))
difference = np.abs(a - b)
off = (difference.max(axis=2) > 16).mean()
shown = [(p.max(axis=2) > 8).mean() for p in (a, b)]
print("    mean difference %.2f (at most %g), %.2f %% of pixels off by more than 16 "
      "(at most %g %%); %.1f %% and %.1f %% of pixels shown"
      % (difference.mean(), mean, 100 * off, 100 * share, 100 * shown[0], 100 * shown[1]))
if difference.mean() > mean or off > share or min(shown) < 0.05:
    sys.exit("    the pictures differ, or one is empty")
EOF
}

# The table as ParaView gets it, against entries worked out by hand from the
# rules of render/transfertable.cpp: a point on the window's lower edge; two
# at one density, the later shown there, the line arriving ending at the
# earlier; a point on the upper edge, shown instead of the white end.
/usr/bin/python3 - "$KASTRA_ROOT/tools/paraview" <<'EOF'
import sys
sys.path.insert(0, sys.argv[1])
from render_volume import function_nodes
red, green, blue = [1, 0, 0], [0, 1, 0], [0, 0, 1]
def entry(nodes, density):
    """Opacity and colour of the polyline at density, its ends held beyond."""
    nodes = [(-1,) + nodes[0][1:]] + nodes + [(4096,) + nodes[-1][1:]]
    for a, b in zip(nodes, nodes[1:]):
        if a[0] <= density <= b[0]:
            t = (density - a[0]) / (b[0] - a[0])
            return [a[1] + t * (b[1] - a[1])] + [p + t * (q - p) for p, q in zip(a[2], b[2])]
cases = [
    ((100, 200, [(150, 1.0, green), (100, 0.5, red), (150, 0.2, blue)]),
     {0: [0], 99: [0], 100: [0.5, 1, 0, 0], 149: [0.99, 0.02, 0.98, 0], 150: [0.2, 0, 0, 1],
      175: [0.1, 0.5, 0.5, 1], 200: [0], 201: [0], 4095: [0]}),
    ((100, 200, [(200, 0.7, red)]), {150: [0.35, 0.5, 0, 0], 200: [0.7, 1, 0, 0], 201: [0]}),
]
for arguments, expected in cases:
    nodes = function_nodes(*arguments)
    for density, want in expected.items():
        got = entry(nodes, density)
        if any(abs(g - w) > 1e-9 for g, w in zip(got, want)):
            sys.exit("- the table of %s at %d: %s, not %s" % (arguments, density, got, want))
print("- the table's edges and shared densities as worked out")
EOF

status=0
on_display pvbatch "$script" "$work/engine.nrrd" "$work/bad.json" "$work/bad.png" \
  >"$work/bad.out" 2>"$work/bad.err" || status=$?
if [ "$status" -ne 1 ] || [ "$(wc -l <"$work/bad.err")" -ne 1 ] || [ -e "$work/bad.png" ]; then
  cat "$work/bad.err"
  echo "- a bad function file: status $status, not 1 with one line and no picture"
  exit 1
fi
echo "- a bad function file: status 1, $(cat "$work/bad.err")"

render one-rank 1 colours.json
render two-ranks 2 colours.json

# Each rank names the extent it holds: two ranks, two different parts, each
# smaller than the whole.
whole=$(grep -o 'extent .*' "$work/one-rank.log")
parts=$(grep -o '^rank [01] of 2: extent .*' "$work/two-ranks.log" | sort -u)
if [ "$(wc -l <<<"$parts")" -ne 2 ] || [ "$(cut -d: -f2 <<<"$parts" | sort -u | wc -l)" -ne 2 ] ||
  grep -q "$whole" <<<"$parts"; then
  echo "- the two ranks do not hold two parts of the volume ($whole):"
  echo "$parts"
  exit 1
fi

# The ranks composite at the plane between their parts, where samples fall
# differently: small differences there and along edges.
echo "- one rank against two"
compare "$work/one-rank.png" "$work/two-ranks.png" 1.5 0.02

# Kastra's picture of the unturned view with the benchmark's white table,
# the first the benchmark saves, against ParaView's with the same table.
on_display "$build_dir/bench/kastra-bench-picture" --size "${size[0]}x${size[1]}" \
  --save "$work" "$work/engine.dat" >"$work/kastra.log" 2>&1 || {
  cat "$work/kastra.log"
  exit 1
}
render white 1 white.json
echo "- ParaView against Kastra, the white table"
compare "$work/white.png" "$work/0_0.png" 1.4 0.012
echo "- ParaView checks passed"
