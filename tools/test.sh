#!/usr/bin/env bash
# Installs what is missing, builds Kastra and runs the whole test suite,
# headless under Xvfb when there is no display, and builds and checks its
# Debian package. Then builds it again with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the suite there, and fuzzes the volume
# loader, the transfer-function reader and the converter's readers for a
# bounded time. Any failed test, any sanitizer report and any fuzzer finding
# fails the run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages "${KASTRA_CHECK_PACKAGES[@]}" "${KASTRA_SAMPLE_PACKAGES[@]}"
build "$KASTRA_ROOT/build" -DCMAKE_BUILD_TYPE=Release -DKASTRA_BUILD_TESTS=ON
# The real CT head the presets are checked on (tst_transferfunctions).
convert_sample_ct "$KASTRA_ROOT/build/run/dat" >/dev/null

cd "$KASTRA_ROOT/build"
with_display ctest --output-on-failure -j 2

# The Debian package: the installed files, and dependencies that hold Qt,
# ITK and the GL driver, which the program loads at run time.
echo "- Debian package"
rm -f kastra_*.deb
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log; exit 1; }
package=$(echo kastra_*_amd64.deb)
contents=$(dpkg-deb --contents "$package")
for file in bin/kastra bin/kastra-convert share/kastra/{slices,fbo,raycast}.{vert,frag} \
  share/applications/kastra.desktop share/icons/hicolor/scalable/apps/kastra.svg \
  share/doc/kastra/README.md; do
  grep -q " \./usr/$file\$" <<<"$contents" || { echo "- $package lacks /usr/$file"; exit 1; }
done
# Every file the installed documents link to is installed beside them.
for document in "$KASTRA_ROOT"/README.md "$KASTRA_ROOT"/docs/*.md; do
  for link in $(grep -o '](\([^)#:]*\))' "$document" | sed 's/^](//; s/)$//'); do
    target=$(realpath -m --relative-to="$KASTRA_ROOT" "$(dirname "$document")/$link")
    grep -q " \./usr/share/doc/kastra/${target%/}/\?\$" <<<"$contents" ||
      { echo "- $package lacks $target, which ${document#"$KASTRA_ROOT"/} links to"; exit 1; }
  done
done
depends=$(dpkg-deb --field "$package" Depends)
for dependency in libqt5widgets5 libinsighttoolkit5 libgl1-mesa-dri; do
  grep -q "$dependency" <<<"$depends" || { echo "- $package needs $dependency: $depends"; exit 1; }
done
grep -q ffmpeg <<<"$(dpkg-deb --field "$package" Recommends)" ||
  { echo "- $package should recommend ffmpeg, which writes the films"; exit 1; }
desktop-file-validate "$KASTRA_ROOT/packaging/kastra.desktop"
echo "  $package: $(wc -l <<<"$contents") entries, depends on $depends"

# The sanitizer build: every report ends the process with an error, and
# LeakSanitizer checks at exit. Suppressions name only libraries that are
# not the program's (tests/sanitizers/lsan.supp). It carries libFuzzer's
# coverage too, so that the fuzz targets below need no build of their own.
echo "- Sanitizer build (clang, AddressSanitizer, UndefinedBehaviorSanitizer, fuzz targets)"
sanitize_dir="$KASTRA_ROOT/build-sanitize"
CC=clang CXX=clang++ build "$sanitize_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKASTRA_SANITIZE=ON -DKASTRA_FUZZ=ON -DKASTRA_BUILD_TESTS=ON

sanitizers="$KASTRA_ROOT/tests/sanitizers"
asan_options="halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$sanitizers/lsan.supp:print_suppressions=0"

cd "$sanitize_dir"
# Without GL, the unit tests afford full stacks for every allocation, which
# suppressing Qt's offscreen plugin by its library needs.
ASAN_OPTIONS="$asan_options:fast_unwind_on_malloc=0" \
  ctest --output-on-failure -j 2 -L unit

# The GL tests draw with Mesa's software driver, whose many allocations
# need the fast unwinder. The driver stays loaded until the leak check: the
# Qt unloads it when it closes the display, and its memory would then
# look leaked from an unknown module.
gl_env=(LIBGL_ALWAYS_SOFTWARE=1 ASAN_OPTIONS="$asan_options")
driver=$(software_gl_driver)
if [ -n "$driver" ]; then
  gl_env+=(LD_PRELOAD="$driver")
fi
with_display env "${gl_env[@]}" ctest --output-on-failure -j 2 -LE unit

# The fuzz targets (tests/fuzz/README.md) for a bounded time, two at a time.
# Inputs they find go to a corpus per target in the build folder, kept
# between runs; a crash, hang or out-of-memory input is saved to
# fuzz/artefacts/ and fails the run. The converter's library calls send the
# error stream to /dev/null: libFuzzer writes to a copy of it (-close_fd_mask).
echo "- Fuzzing the volume loader, the transfer-function reader and the converter's readers"
fuzz_out="$sanitize_dir/fuzz"
mkdir -p "$fuzz_out/artefacts"
# fuzz <target> <seconds> <seeds>: prints the figures, or the log of a finding.
fuzz() {
  local log="$fuzz_out/$1.log" options=()
  [[ $1 == fuzz_convert_* ]] && options=(-close_fd_mask=2)
  # GDCM allocates an element's stated length, up to 4 GB, before it finds
  # the file too short: the converter's child survives that, and so must the
  # target (tests/fuzz/README.md).
  [[ $1 == fuzz_convert_dicom* ]] && options+=(-rss_limit_mb=4608 -malloc_limit_mb=4608)
  mkdir -p "$fuzz_out/corpus/$1"
  if "$sanitize_dir/tests/fuzz/$1" -max_total_time="$2" -rss_limit_mb=2048 -timeout=10 \
    "${options[@]}" -print_final_stats=1 -artifact_prefix="$fuzz_out/artefacts/$1-" \
    "$fuzz_out/corpus/$1" "$KASTRA_ROOT/tests/fuzz/$3" >"$log" 2>&1; then
    echo "  $1: $(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*') runs in $2 s," \
      "$(grep -o 'DONE *cov: [0-9]* ft: [0-9]*' "$log" | grep -o 'cov.*')"
  else
    cat "$log"
    echo "- $1 found an input that fails (in $fuzz_out/artefacts/)"
    return 1
  fi
}
(fuzz fuzz_volumeloader 60 corpus && fuzz fuzz_convert_nii 25 corpus-nii &&
  fuzz fuzz_convert_niigz 25 corpus-niigz && fuzz fuzz_convert_dicom 25 corpus-dicom) &
fuzzing=$!
found=0
fuzz fuzz_transferfunction 60 corpus-tf || found=1
for format in nrrd nhdr mha mhd dicomseries; do
  fuzz "fuzz_convert_$format" 25 "corpus-$format" || found=1
done
wait "$fuzzing" || found=1
exit "$found"
