#!/usr/bin/env bash
# The source folders stand on floors, lowest first: engine, toolkit, shell, actors, world,
# screens, top (src/main.cpp counts as top). A file may include its own floor and the floors
# below it, never one above; the folders' include graph may hold no cycle; and only the engine
# talks to SDL, OpenGL, OpenAL, Ogg Vorbis and libpng. Prints every include that breaks a rule
# and fails if there is one.
#   check-includes.sh [SRC_DIR]     (default: src)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
kestrune_need tsort grep sed
src=${1:-src}
floors=(engine toolkit shell actors world screens top)
floor_of() {
    local i
    for i in "${!floors[@]}"; do [ "${floors[$i]}" = "$1" ] && { echo "$i"; return; }; done
    echo -1
}
bad=0
edges=$(mktemp)
units=$(mktemp)
trap 'rm -f "$edges" "$units"' EXIT
while IFS= read -r -d '' file; do
    rel=${file#"$src"/}
    from=${rel%%/*}
    [ "$from" = "$rel" ] && from=top  # a file at the root, main.cpp
    from_floor=$(floor_of "$from")
    if [ "$from_floor" -lt 0 ]; then
        echo "$file: in a folder with no floor ($from)"
        bad=1
        continue
    fi
    while IFS= read -r line; do
        target=$(sed -E 's/^#include[[:space:]]*"([^"]*)".*/\1/' <<<"$line")
        to=${target%%/*}
        [ "$to" = "$target" ] && continue  # a header beside the file
        to_floor=$(floor_of "$to")
        if [ "$to_floor" -lt 0 ]; then
            echo "$file: includes $target, in a folder with no floor"
            bad=1
        elif [ "$to_floor" -gt "$from_floor" ]; then
            echo "$file: includes $target, climbing from $from up to $to"
            bad=1
        fi
        [ "$to" != "$from" ] && echo "$from $to" >>"$edges"
        # A unit is a file's name without its ending; its own header is no edge.
        unit=$(basename "${rel%.*}")
        to_unit=$(basename "${target%.*}")
        [ "$to" = "$from" ] && [ "$to_unit" != "$unit" ] &&
            echo "$from/$unit $from/$to_unit" >>"$units"
    done < <(grep -E '^#include[[:space:]]*"' "$file" || true)
    if [ "$from" != engine ] &&
        grep -nE '^#include[[:space:]]*<(SDL|GL/|epoxy/|AL/|vorbis/|ogg/|png\.h)' "$file"; then
        echo "$file: a platform header outside the engine"
        bad=1
    fi
done < <(find "$src" \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' \) -print0 | sort -z)
# tsort reports a cycle among the folders' include edges.
if ! sort -u "$edges" | tsort >/dev/null 2>"$edges.err"; then
    echo "an include cycle between folders:"
    cat "$edges.err"
    bad=1
fi
rm -f "$edges.err"
for folder in "${floors[@]}"; do
    if ! grep "^$folder/" "$units" | sort -u | tsort >/dev/null 2>"$units.err"; then
        echo "an include cycle between the files of $folder:"
        cat "$units.err"
        bad=1
    fi
done
rm -f "$units.err"
[ "$bad" -eq 0 ] && echo "includes: every floor holds"
exit "$bad"
