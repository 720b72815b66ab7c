#!/usr/bin/env bash
# Prints how many lines of tests there are for each line of code:
#   tests N lines, code M lines: P%   (P = N / M)
#
# The rule: a line counts when it is not blank (whitespace only) in a C++
# source or header (*.cpp, *.cc, *.h, *.hpp) or a CMake file
# (CMakeLists.txt, *.cmake); comments count like code.
#   tests: every such file under tests/, including tests/data (which today
#          holds no such file: its .drc scripts, .res files and expected
#          listings are data, not test code, and are not counted)
#   code:  every such file under src/ and apps/
# Nothing else counts: not the top-level CMakeLists.txt, scripts/, bench/,
# fuzz/, examples/, docs/ or data/, and no build directory.
#
# Usage: scripts/line-counts.sh
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.cc' -o -name '*.h' -o -name '*.hpp' -o -name 'CMakeLists.txt' \
    -o -name '*.cmake' \) -print0 | xargs -0 -r awk '!/^[[:space:]]*$/' | wc -l
}

tests=$(count tests)
code=$(count src apps)
[[ $code -gt 0 ]] || { echo "line-counts.sh: no code found" >&2; exit 1; }
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests %d lines, code %d lines: %.1f%%\n", t, c, 100 * t / c }'
