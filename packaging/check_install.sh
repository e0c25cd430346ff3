#!/bin/sh
# Install the build into a scratch prefix and check that everything a
# desktop needs ends up where it belongs, and that neither the built nor the
# installed program searches the current folder for libraries.
#
# usage: check_install.sh CMAKE BUILD_DIR CONFIG BINDIR DATADIR EXE APP_ID ICON_SIZES \
#                         DESKTOP_VALIDATOR...
#   CONFIG may be empty (single-config generators).
#   EXE is the built executable in the build tree.
#   BINDIR and DATADIR are the relative GNUInstallDirs paths.
#   ICON_SIZES lists the icon sizes, comma-separated (16,32,...).
#   DESKTOP_VALIDATOR... is the command line that validates a .desktop file
#   (the file name is appended).

set -u

if [ "$#" -lt 9 ]; then
    echo "usage: $0 CMAKE BUILD_DIR CONFIG BINDIR DATADIR EXE APP_ID ICON_SIZES VALIDATOR..." >&2
    exit 2
fi

cmake=$1 build_dir=$2 config=$3 bindir=$4 datadir=$5 built=$6 app_id=$7 icon_sizes=$8
shift 8
exe=$(basename "$built")

for d in "$bindir" "$datadir"; do
    case "$d" in
        /*) echo "FAIL: install dir '$d' is absolute; cannot check it under a scratch prefix" >&2
            exit 1 ;;
    esac
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vornlace-install.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
trap 'exit 1' HUP INT TERM

prefix="$work/root"
log="$work/install.log"

# The install must land under our prefix and nowhere else.
unset DESTDIR

if [ -n "$config" ]; then
    "$cmake" --install "$build_dir" --prefix "$prefix" --config "$config" >"$log" 2>&1
else
    "$cmake" --install "$build_dir" --prefix "$prefix" >"$log" 2>&1
fi
status=$?
if [ "$status" -ne 0 ]; then
    cat "$log" >&2
    echo "FAIL: cmake --install exited with $status" >&2
    exit 1
fi

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

binary="$prefix/$bindir/$exe"
desktop="$prefix/$datadir/applications/$app_id.desktop"
metainfo="$prefix/$datadir/metainfo/$app_id.metainfo.xml"

if [ ! -f "$binary" ] || [ ! -x "$binary" ]; then
    fail "no executable at $bindir/$exe"
fi

# An empty entry in a run-time search path (RPATH or RUNPATH; also a leading,
# trailing or doubled ':') is the current folder: a library placed where the
# program is started from would be loaded into it.
if command -v readelf >/dev/null 2>&1; then
    for program in "$built" "$binary"; do
        [ -f "$program" ] || continue
        readelf -d "$program" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]$/\2/p' \
            | grep -qE '^$|^:|::|:$' && fail "$program has an empty run-time search path entry"
    done
else
    fail "readelf (binutils) is missing"
fi

[ -f "$desktop" ] || fail "missing $datadir/applications/$app_id.desktop"
[ -f "$metainfo" ] || fail "missing $datadir/metainfo/$app_id.metainfo.xml"

# Reads the width and height from a PNG header as "W H".
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }'
}

icon_count=0
for size in $(echo "$icon_sizes" | tr ',' ' '); do
    icon_count=$((icon_count + 1))
    icon="$prefix/$datadir/icons/hicolor/${size}x${size}/apps/$app_id.png"
    if [ ! -f "$icon" ]; then
        fail "missing $datadir/icons/hicolor/${size}x${size}/apps/$app_id.png"
        continue
    fi
    got=$(png_size "$icon")
    [ "$got" = "$size $size" ] || fail "${size}x${size} icon is really ${got:-not a PNG}"
done

if [ -f "$desktop" ]; then
    out=$("$@" "$desktop" 2>&1)
    status=$?
    if [ "$status" -ne 0 ] || [ -n "$out" ]; then
        printf '%s\n' "$out" >&2
        fail "installed desktop entry does not validate"
    fi

    # The entry must start the binary we installed and name the icon we
    # installed.
    exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop" | head -n 1)
    [ "$exec_cmd" = "$exe" ] || fail "desktop entry runs '$exec_cmd', installed binary is '$exe'"
    icon_name=$(sed -n 's/^Icon=//p' "$desktop" | head -n 1)
    [ "$icon_name" = "$app_id" ] || fail "desktop entry wants icon '$icon_name', installed icon is '$app_id'"
fi

if [ -f "$metainfo" ]; then
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
        || fail "metainfo does not launch $app_id.desktop"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures problem(s) in the install tree" >&2
    exit 1
fi
echo "install tree complete: $bindir/$exe, desktop entry, metainfo, $icon_count icons"
exit 0
