#!/usr/bin/env bash
# The engine's PNG and Ogg Vorbis readers against reference decoders on real files.
#   check-readers.sh PNG_COMPARE OGG_COMPARE
# PNG: the PNG test suite in tests/data/pngsuite and gdk-pixbuf's test images, against
# ImageMagick; every file must decode identically (allowing the conversion of a file with a gAMA
# chunk to sRGB) or be refused with a reason, and the suite's corrupt "x" files must be refused.
# Ogg: the sounds in tests/data and three Debian sound themes, against SoX; every file must decode
# to the same PCM or be refused with a reason.
# Debian's files are fetched with apt-get download into KESTRUNE_DEBIAN_FILES (a temporary folder
# when unset); without the package archive only the files kept here are checked. Prints the
# counts; exit 77 (skip) without ImageMagick or SoX.
set -u
png_compare=$1
ogg_compare=$2
here=$(cd "$(dirname "$0")/.." && pwd)
magick=$(command -v convert-im6.q16 || command -v convert || true)
identify=$(command -v identify-im6.q16 || command -v identify || true)
if [ -z "$magick" ] || [ -z "$identify" ] || ! command -v sox >/dev/null; then
    echo "SKIP: ImageMagick or SoX is not installed"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
debian=${KESTRUNE_DEBIAN_FILES:-$work/debian}
packages="gdk-pixbuf-tests sound-theme-freedesktop yaru-theme-sound oxygen-sounds"
if [ ! -d "$debian/usr" ]; then
    mkdir -p "$debian/debs"
    if (cd "$debian/debs" && apt-get -q -o APT::Sandbox::User=root download $packages >/dev/null 2>&1); then
        for deb in "$debian"/debs/*.deb; do dpkg-deb -x "$deb" "$debian"; done
    else
        echo "NOTE: Debian's package archive is out of reach: checking the files kept here only"
    fi
fi
bad=0

# Prints the verdict of one file; counts it in the named tally.
tally() {
    local file=$1 verdict=$2
    case "$verdict" in
        identical*) identical=$((identical + 1)) ;;
        gamma*) gamma=$((gamma + 1)) ;;
        "refused: (no reason given)"*) bad=$((bad + 1)); echo "FAIL $file: refused without a reason" ;;
        refused*) refused=$((refused + 1)); echo "refused $file: ${verdict#refused: }" ;;
        *) bad=$((bad + 1)); echo "FAIL $file: $verdict" ;;
    esac
}

png_one() {
    local file=$1 size verdict
    # The reference reads the file's own values; the comparison does the gamma conversion.
    "$png_compare" --raw "$file" "$work/raw.png"
    size=$("$identify" -format '%w %h\n' "$work/raw.png[0]" 2>/dev/null | head -n1)
    if [ -n "$size" ] && "$magick" "$work/raw.png[0]" -depth 16 -endian LSB "rgba:$work/ref.rgba" 2>/dev/null; then
        # shellcheck disable=SC2086  # the size is two words on purpose
        verdict=$("$png_compare" "$file" "$work/ref.rgba" $size)
    else
        verdict=$("$png_compare" "$file")
    fi
    tally "$file" "$verdict"
    if [[ "$file" == */pngsuite/x* && "$verdict" != refused* ]]; then
        bad=$((bad + 1))
        echo "FAIL $file: a corrupt file of the suite was not refused"
    fi
}

ogg_one() {
    local file=$1 verdict
    if sox -D "$file" -t raw -e signed -b 16 -L "$work/ref.raw" 2>/dev/null; then
        verdict=$("$ogg_compare" "$file" "$work/ref.raw")
    else
        verdict=$("$ogg_compare" "$file")
    fi
    tally "$file" "$verdict"
}

# Runs one reader over the files find gives, then prints its counts.
check() {
    local what=$1 each=$2 file
    shift 2
    tried=0 identical=0 gamma=0 refused=0
    local before=$bad
    while IFS= read -r -d '' file; do
        tried=$((tried + 1))
        "$each" "$file"
    done < <(find "$@" -print0 2>/dev/null | sort -z)
    local converted=""
    [ "$gamma" -gt 0 ] && converted=", identical after gamma conversion $gamma"
    echo "$what: tried $tried, identical $identical$converted, refused $refused," \
        "wrong $((bad - before))"
}

check PNG png_one "$here/tests/data/pngsuite" "$here/tests/data/png" \
    "$debian/usr/libexec/installed-tests/gdk-pixbuf" -name '*.png'
# The chained files of tests/data/ogg are left to the unit tests: SoX, on vorbisfile, decodes only
# their last link.
check "Ogg Vorbis" ogg_one "$here/tests/data" "$debian/usr/share/sounds" \
    \( -name '*.ogg' -o -name '*.oga' \) -not -path '*/tests/data/ogg/*'
[ "$bad" -eq 0 ]
