#!/usr/bin/env bash
# Installs what is missing, checks the layout of the lines the last commit changed, builds Tarnel
# with its tests and runs the whole suite (unit and widget tests offscreen, X11 tests each on a
# private Xvfb with openbox), then runs
# every fuzz target briefly (TARNEL_FUZZ_SECONDS each, 10 by default; 0 skips them) so that a
# reader that crashes on an input it once survived fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The lines the last commit changed follow .clang-format (TARNEL_FORMAT_BASE names another base).
bash scripts/format.sh
jobs=$(nproc 2>/dev/null || echo 2)
# A warning in Tarnel's own code fails the run here; the everyday build only reports it.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNEL_BUILD_BENCH=ON -DTARNEL_WARNINGS_AS_ERRORS=ON
cmake --build build-test -j "$jobs"
cd build-test
ctest --output-on-failure -j "$jobs" "$@"
cd ..
fuzz_seconds=${TARNEL_FUZZ_SECONDS:-10}
if [ "$fuzz_seconds" != 0 ]; then
  # The short round looks for crashes and undefined behaviour; leak checking needs ptrace,
  # which some build containers refuse, so it stays with the longer runs of fuzz.sh.
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1} bash scripts/fuzz.sh "$fuzz_seconds"
fi
