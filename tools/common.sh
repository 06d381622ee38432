# Shared by run.sh and test.sh: installs the Debian packages the build needs
# and builds the project. Source it; do not run it.

KASTRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian 12 packages for building, running and testing.
KASTRA_PACKAGES=(
  cmake make g++ pkg-config
  qtbase5-dev libqt5opengl5-dev libglew-dev libglu1-mesa-dev libgl1-mesa-dri
  xvfb xauth fonts-dejavu-core
)

# Extra packages for test.sh's sanitizer build and fuzzing: clang, the
# sanitizer and libFuzzer runtimes, and llvm-symbolizer for readable reports.
KASTRA_CHECK_PACKAGES=(clang libclang-rt-dev llvm)

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
