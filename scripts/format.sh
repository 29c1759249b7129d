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
git_format=$(command -v git-clang-format-14 || command -v git-clang-format || true)
if [ -z "$git_format" ]; then
  echo "format: git-clang-format is missing; scripts/setup.sh installs it" >&2
  exit 1
fi
mapfile -t changed < <(git diff --name-only --diff-filter=ACMR "$base" -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h')
if [ ${#changed[@]} -eq 0 ]; then
  echo "format: no C++ source changed since $base"
  exit 0
fi
if [ "$fix" = 1 ]; then
  "$git_format" --binary "$formatter" --force "$base" -- "${changed[@]}" || true
  exit 0
fi
# git-clang-format compares the working tree with the base and formats only the changed lines.
report=$("$git_format" --binary "$formatter" --diff "$base" -- "${changed[@]}" 2>&1) || true
if [ -z "$report" ] || printf '%s\n' "$report" | grep -q '^no modified files to format$\|^clang-format did not modify any files$'; then
  echo "format: the lines changed since $base in ${#changed[@]} file(s) are formatted"
  exit 0
fi
printf '%s\n' "$report"
echo "format: lines changed since $base differ from .clang-format in: $(printf '%s\n' "$report" | sed -n 's|^+++ b/||p' | tr '\n' ' ')" >&2
echo "format: run scripts/format.sh --fix to rewrite them" >&2
exit 1
