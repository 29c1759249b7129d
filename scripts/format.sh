#!/usr/bin/env bash
# Checks that C++ sources follow .clang-format, and fails listing what differs.
#   scripts/format.sh                 the lines changed since TARNEL_FORMAT_BASE (HEAD~1 by default)
#   scripts/format.sh FILE...         the named files, whole
#   scripts/format.sh --fix [FILE...] rewrites instead of checking
# Only changed lines are held to the layout by default, so a change is never asked to reformat
# the untouched lines around it.
set -euo pipefail
cd "$(dirname "$0")/.."

fix=0
if [ "${1:-}" = "--fix" ]; then
  fix=1
  shift
fi

formatter=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$formatter" ]; then
  echo "format: clang-format is missing; scripts/setup.sh installs it" >&2
  exit 1
fi

if [ $# -gt 0 ]; then
  if [ "$fix" = 1 ]; then
    "$formatter" -i "$@"
    exit 0
  fi
  differing=()
  for file in "$@"; do
    if ! diff -q "$file" <("$formatter" "$file") >/dev/null; then
      differing+=("$file")
      diff -u "$file" <("$formatter" "$file") | sed "1,2s|/dev/fd/[0-9]*|$file (formatted)|" || true
    fi
  done
  if [ ${#differing[@]} -gt 0 ]; then
    echo "format: these files differ from .clang-format: ${differing[*]}" >&2
    echo "format: run scripts/format.sh --fix ${differing[*]}" >&2
    exit 1
  fi
  echo "format: ${#} file(s) formatted"
  exit 0
fi

base=${TARNEL_FORMAT_BASE:-HEAD~1}
if ! git rev-parse --verify --quiet "$base^{commit}" >/dev/null; then
  echo "format: no base $base to compare with; nothing checked"
  exit 0
fi
# The lines each file changed since the base, as clang-format --lines options. A file that was
# moved counts only the lines that differ from where it came from, so moving a file never asks
# for its untouched lines to be laid out anew.
declare -A lines=()
file=""
while IFS= read -r line; do
  case "$line" in
    '+++ b/'*) file=${line#'+++ b/'} ;;
    '+++ '*) file="" ;;
    '@@ '*)
      hunk=${line#*' +'}
      hunk=${hunk%%' '*}
      start=${hunk%%,*}
      count=1
      [[ $hunk == *,* ]] && count=${hunk#*,}
      if [ -n "$file" ] && [ "$count" -gt 0 ]; then
        lines[$file]+=" --lines=$start:$((start + count - 1))"
      fi
      ;;
  esac
done < <(git diff -M -U0 --no-color --no-ext-diff --diff-filter=ACMR "$base" -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h')
if [ ${#lines[@]} -eq 0 ]; then
  echo "format: no C++ source changed since $base"
  exit 0
fi
mapfile -t changed < <(printf '%s\n' "${!lines[@]}" | sort)
differing=()
for file in "${changed[@]}"; do
  # shellcheck disable=SC2086 # one word per --lines option
  if [ "$fix" = 1 ]; then
    "$formatter" -i ${lines[$file]} "$file"
  elif ! diff -q "$file" <("$formatter" ${lines[$file]} "$file") >/dev/null; then
    differing+=("$file")
    diff -u "$file" <("$formatter" ${lines[$file]} "$file") | sed "1,2s|/dev/fd/[0-9]*|$file (formatted)|" || true
  fi
done
[ "$fix" = 1 ] && exit 0
if [ ${#differing[@]} -eq 0 ]; then
  echo "format: the lines changed since $base in ${#changed[@]} file(s) are formatted"
  exit 0
fi
echo "format: lines changed since $base differ from .clang-format in: ${differing[*]}" >&2
echo "format: run scripts/format.sh --fix to rewrite them" >&2
exit 1
