#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan and UBSan) in build-fuzz/ and runs each one after the
# other for a bounded time, starting from its seed corpus in tests/fuzz/corpus/<name>/.
#
#   bash scripts/fuzz.sh [seconds per target, default 60] [target names ...]
#
# Exits non-zero when any target finds a crash, a leak, undefined behaviour, a broken
# expectation or a timeout; the input that did it is kept in build-fuzz/findings/<name>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
jobs=$(nproc 2>/dev/null || echo 2)

launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTARNEL_BUILD_FUZZ=ON -DTARNEL_BUILD_TESTS=OFF -DTARNEL_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_targets

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in tests/fuzz/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

dictionary_for() {
  case "$1" in
    *_record | settings_file | history_row) echo tests/fuzz/dict/json.dict ;;
    text_transform | text_classify) echo tests/fuzz/dict/text.dict ;;
    *) ;;
  esac
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for name in "${targets[@]}"; do
  binary=build-fuzz/tests/fuzz/fuzz_$name
  # New inputs go to a scratch corpus; the checked-in seeds stay as they are.
  work=build-fuzz/corpus/$name
  findings=build-fuzz/findings/$name
  mkdir -p "$work" "$findings"
  # Seeds stay in the corpus even when they add no coverage of Tarnel's own code: the image
  # decoders and the JSON parser live in Qt, which carries no coverage hooks.
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 -keep_seed=1
           -print_final_stats=1 -artifact_prefix="$findings/")
  dictionary=$(dictionary_for "$name")
  [ -n "$dictionary" ] && options+=(-dict="$dictionary")
  echo "== fuzz_$name for ${seconds}s"
  if ! "$binary" "${options[@]}" "$work" "tests/fuzz/corpus/$name" >"$findings/log" 2>&1; then
    failed+=("$name")
    grep -E "ERROR|SUMMARY|expectation failed|runtime error|Test unit written" "$findings/log" | head -20 || true
  fi
  grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)|^#[0-9]+.*DONE" "$findings/log" || true
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: findings in ${failed[*]} (inputs and logs in build-fuzz/findings/)" >&2
  exit 1
fi
echo "fuzz: no findings in ${#targets[@]} targets"
