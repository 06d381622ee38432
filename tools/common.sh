# Shared by run.sh and test.sh: installs the Debian packages the build needs
# and builds the project. Source it; do not run it.

KASTRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian 12 packages for building, running and testing. The converter needs
# ITK, GDCM, the NIfTI library, zlib and nlohmann's JSON (for BIDS sidecars);
# the window's translations need Qt's lupdate and lrelease, and Qt's own
# translations for its dialogs; CPack's Debian package needs dpkg-shlibdeps
# (dpkg-dev) and file.
KASTRA_PACKAGES=(
  cmake make g++ pkg-config dpkg-dev file
  qtbase5-dev libqt5opengl5-dev libglew-dev libglu1-mesa-dev libgl1-mesa-dri
  libinsighttoolkit5-dev libgdcm-dev libnifti2-dev zlib1g-dev nlohmann-json3-dev
  qttools5-dev qttools5-dev-tools qttranslations5-l10n
  xvfb xauth fonts-dejavu-core
)

# A real CT of a head for the run folder: Debian's invesalius-examples, and
# python3 to read the archive's description of it.
KASTRA_SAMPLE_PACKAGES=(invesalius-examples python3)

# Extra packages for test.sh: clang, the sanitizer and libFuzzer runtimes,
# and llvm-symbolizer for readable reports; pydicom, with numpy and Pillow to
# decode pixels, for its test files from many writers and encodings;
# desktop-file-utils to check the desktop entry; and ffmpeg, which writes
# the films and whose ffprobe reads them back.
KASTRA_CHECK_PACKAGES=(clang libclang-rt-dev llvm python3-pydicom python3-numpy python3-pil
  desktop-file-utils ffmpeg)

# Installs the packages that are missing (apt-get, as root or through sudo).
install_packages() {
  local missing=() package
  for package in "${KASTRA_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "- Installing ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
}

# build <folder> [cmake options...]: configures (once) and builds.
build() {
  local folder=$1
  shift
  cmake -S "$KASTRA_ROOT" -B "$folder" "$@"
  cmake --build "$folder" -j "$(nproc)"
}

# Runs a command with a display: the caller's, or a virtual one.
with_display() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
  fi
}

# Prints the path of Mesa's software GL driver, or nothing when it is not
# installed.
software_gl_driver() {
  local driver
  for driver in /usr/lib/*/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so; do
    if [ -e "$driver" ]; then
      echo "$driver"
      return 0
    fi
  done
}

# convert_sample_ct <folder>: converts the CT head of invesalius-examples
# into <folder>/ct-head.dat, unless it is there already. The archive holds the
# Hounsfield units as raw little-endian samples (matrix.dat) and describes
# them in main.plist; a MetaImage header beside them lets kastra-convert read
# them.
convert_sample_ct() {
  local output="$1/ct-head.dat"
  [ -f "$output" ] && return 0
  local archive=/usr/share/doc/invesalius-examples/examples/Cranium.inv3
  local work plist
  work=$(mktemp -d)
  tar -xzf "$archive" -C "$work" --wildcards '*/main.plist' '*/matrix.dat'
  plist=$(find "$work" -name main.plist)
  # The plist gives the shape slowest axis first, the spacing x first.
  python3 - "$plist" >"$(dirname "$plist")/ct-head.mhd" <<'EOF'
import plistlib, sys
with open(sys.argv[1], "rb") as f:
    info = plistlib.load(f)
matrix = info["matrix"]
assert matrix["dtype"] == "int16", matrix["dtype"]
depth, height, width = matrix["shape"]
print("ObjectType = Image")
print("NDims = 3")
print("DimSize = %d %d %d" % (width, height, depth))
print("ElementSpacing = %r %r %r" % tuple(info["spacing"]))
print("ElementType = MET_SHORT")
print("ElementByteOrderMSB = False")
print("ElementDataFile = %s" % matrix["filename"])
EOF
  mkdir -p "$1"
  "$KASTRA_ROOT/build/convert/kastra-convert" "$(dirname "$plist")/ct-head.mhd" "$output" --ct
  rm -rf "$work"
}
