#!/usr/bin/env bash
# Installs what is missing, builds Kastra and runs the whole test suite,
# headless under Xvfb when there is no display. Then builds it again with
# clang, AddressSanitizer and UndefinedBehaviorSanitizer and runs the suite
# there, and fuzzes the volume loader for a minute. Any failed test, any
# sanitizer report and any fuzzer finding fails the run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages "${KASTRA_CHECK_PACKAGES[@]}"
build "$KASTRA_ROOT/build" -DCMAKE_BUILD_TYPE=Release -DKASTRA_BUILD_TESTS=ON

cd "$KASTRA_ROOT/build"
with_display ctest --output-on-failure -j 2

# The sanitizer build: every report ends the process with an error, and
# LeakSanitizer checks at exit. Suppressions name only libraries that are
# not the program's (tests/sanitizers/lsan.supp).
echo "- Sanitizer build (clang, AddressSanitizer, UndefinedBehaviorSanitizer)"
sanitize_dir="$KASTRA_ROOT/build-sanitize"
CC=clang CXX=clang++ build "$sanitize_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKASTRA_SANITIZE=ON -DKASTRA_BUILD_TESTS=ON

sanitizers="$KASTRA_ROOT/tests/sanitizers"
asan_options="halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$sanitizers/lsan.supp:print_suppressions=0"

cd "$sanitize_dir"
# Without GL, the unit tests afford full stacks for every allocation, which
# suppressing the toolkit's offscreen plugin by its library needs.
ASAN_OPTIONS="$asan_options:fast_unwind_on_malloc=0" \
  ctest --output-on-failure -j 2 -L unit

# The GL tests draw with Mesa's software driver, whose many allocations
# need the fast unwinder. The driver stays loaded until the leak check: the
# toolkit unloads it when it closes the display, and its memory would then
# look leaked from an unknown module.
gl_env=(LIBGL_ALWAYS_SOFTWARE=1 ASAN_OPTIONS="$asan_options")
driver=$(software_gl_driver)
if [ -n "$driver" ]; then
  gl_env+=(LD_PRELOAD="$driver")
fi
with_display env "${gl_env[@]}" ctest --output-on-failure -j 2 -LE unit

# The volume loader under libFuzzer for a bounded time. Inputs it finds go
# to a corpus in the build folder, kept between runs; a crash, leak,
# timeout or out-of-memory input is saved to fuzz-artefacts/ and fails the run.
echo "- Fuzzing the volume loader"
fuzz_dir="$KASTRA_ROOT/build-fuzz"
CC=clang CXX=clang++ cmake -S "$KASTRA_ROOT" -B "$fuzz_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKASTRA_FUZZ=ON -DKASTRA_BUILD_TESTS=ON
cmake --build "$fuzz_dir" -j "$(nproc)" --target fuzz_volumeloader
mkdir -p "$fuzz_dir/fuzz-corpus" "$fuzz_dir/fuzz-artefacts"
"$fuzz_dir/tests/fuzz/fuzz_volumeloader" -max_total_time=60 -rss_limit_mb=2048 -timeout=10 \
  -print_final_stats=1 -artifact_prefix="$fuzz_dir/fuzz-artefacts/" \
  "$fuzz_dir/fuzz-corpus" "$KASTRA_ROOT/tests/fuzz/corpus"
