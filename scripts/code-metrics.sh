#!/usr/bin/env bash
# Figures for comparing the code before and after a change: files and lines by folder, function
# lengths in game code (src/ outside src/engine), and the share of virtual functions whose
# declaration has a comment line directly above it (destructors aside).
#   code-metrics.sh [SRC_DIR]     (default: src)
set -euo pipefail
src=${1:-src}
echo "files and lines:"
for dir in "$src"/*/; do
    files=$(find "$dir" -name '*.cpp' -o -name '*.h' | wc -l)
    lines=$(find "$dir" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | wc -l)
    printf '  %-10s %3d files %6d lines\n' "$(basename "$dir")" "$files" "$lines"
done
# A function body starts at a line in column 0 that ends in "{" and has a "(", and ends at the
# next "}" in column 0 (clang-format's layout); lines counted between the braces.
find "$src" -name '*.cpp' -not -path "$src/engine/*" -print0 | xargs -0 awk '
    /^[A-Za-z].*\(.*\{$/ || /^[A-Za-z].*\) (const )?\{$/ { start = FNR; name = FILENAME ":" FNR; next }
    /^\}/ && start { n = FNR - start - 1; print n, name; start = 0 }
' | sort -n > /tmp/kestrune-function-lengths.txt
count=$(wc -l < /tmp/kestrune-function-lengths.txt)
median=$(awk -v c="$count" 'NR == int((c + 1) / 2) { print $1 }' /tmp/kestrune-function-lengths.txt)
echo "game-code functions: $count, median $median lines, longest:"
tail -n 3 /tmp/kestrune-function-lengths.txt | sed 's/^/  /'
find "$src" -name '*.h' -print0 | xargs -0 awk '
    /^[[:space:]]*virtual / && !/virtual ~/ { total++; if (prev ~ /^[[:space:]]*\/\//) with++ }
    { prev = $0 }
    END { printf "virtual functions: %d, with a contract above: %d (%.0f%%)\n", total, with, 100 * with / total }
'
