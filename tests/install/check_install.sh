#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the installed tree: what lands where, that
# the commands work from PREFIX/bin, that the developer files link, and that the manual pages
# render cleanly and cover every command and option the programs offer.
# Usage: check_install.sh BUILD_DIR [C_COMPILER]
set -uo pipefail

build=$(cd "$1" && pwd)
cc=${2:-cc}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/usr
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cache_value() {
    sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"
}

if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
progdir=$prefix/$(cache_value ZEMLO_INSTALL_PROGRAMDIR)
pcdir=$prefix/$(cache_value ZEMLO_INSTALL_PKGCONFIGDIR)
desktop_id=io.github.zemlo.Zemlo

# --- nothing lands outside the places the layout names ---------------------------------------
while IFS= read -r f; do
    rel=${f#"$prefix"/}
    case $rel in
    bin/* | "${progdir#"$prefix"/}"/* | include/handlink.h | "${pcdir#"$prefix"/}"/handlink.pc) ;;
    share/zemlo/* | share/applications/* | share/metainfo/* | share/icons/hicolor/*) ;;
    share/man/man1/* | share/doc/zemlo/*) ;;
    *) fail "unexpected file installed: $rel" ;;
    esac
done < <(find "$prefix" \( -type f -o -type l \))

# --- programs in the program folder, relative symlinks in bin --------------------------------
for p in zemlo zemlo-cli handsim; do
    if [ ! -f "$progdir/$p" ] || [ -L "$progdir/$p" ] || [ ! -x "$progdir/$p" ]; then
        fail "$p is not an executable file in the program folder"
    fi
    link=$prefix/bin/$p
    if [ ! -L "$link" ]; then
        fail "bin/$p is not a symlink"
    elif [[ $(readlink "$link") == /* ]]; then
        fail "bin/$p points at an absolute path: $(readlink "$link")"
    elif [ "$(readlink -f "$link")" != "$(readlink -f "$progdir/$p")" ]; then
        fail "bin/$p does not lead to the program folder"
    fi
done

# --- private libraries beside the programs, finding each other and nothing in the build -------
for l in handlink picmill display; do
    [ -f "$progdir/lib$l.so" ] || fail "lib$l.so missing from the program folder"
done
for f in "$progdir"/*; do
    [ -L "$f" ] && continue
    head -c 4 "$f" | grep -q 'ELF' || continue
    paths=$(readelf -d "$f" | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p')
    # shellcheck disable=SC2016 # the literal text $ORIGIN
    [ "$paths" = '$ORIGIN' ] || fail "$(basename "$f") has the search path '$paths', not \$ORIGIN"
done

# --- the help, found beside the program ------------------------------------------------------
[ -f "$prefix/share/zemlo/dwnHelp.html" ] || fail "share/zemlo/dwnHelp.html missing"
[ -f "$progdir/dwnHelp.html" ] || fail "dwnHelp.html not reachable from the program folder"
[ -f "$progdir/dwnHelp-en.html" ] || fail "dwnHelp-en.html not reachable from the program folder"

for f in copyright changelog.Debian.gz; do
    [ -f "$prefix/share/doc/zemlo/$f" ] || fail "share/doc/zemlo/$f missing"
done

# --- desktop entry, metainfo, icons ----------------------------------------------------------
desktop=$prefix/share/applications/$desktop_id.desktop
metainfo=$prefix/share/metainfo/$desktop_id.metainfo.xml
if [ ! -f "$desktop" ]; then
    fail "desktop entry missing"
else
    if command -v desktop-file-validate >/dev/null; then
        out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop entry invalid: $out"
    fi
    exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    [ -x "$prefix/bin/$exec_cmd" ] || fail "the menu entry runs '$exec_cmd', not in bin/"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
        fail "the menu entry's icon '$icon' is not installed"
    grep -q '^Name\[zh_CN\]=' "$desktop" || fail "desktop entry has no Chinese name"
fi
if [ ! -f "$metainfo" ]; then
    fail "metainfo missing"
else
    if command -v appstreamcli >/dev/null; then
        out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "metainfo invalid: $out"
    fi
    grep -q "<launchable type=\"desktop-id\">$desktop_id.desktop</launchable>" "$metainfo" ||
        fail "metainfo does not launch the installed desktop entry"
fi
if [ -d "$build/install-files/icons" ]; then
    for size in 16 24 32 48 64 128 256; do
        png=$prefix/share/icons/hicolor/${size}x${size}/apps/zemlo.png
        # Width and height are the big-endian words at offsets 16 and 20 of a PNG.
        dims=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{print $3*256+$4 "x" $7*256+$8}')
        [ "$dims" = "${size}x${size}" ] || fail "icon ${size}x${size} is '$dims'"
    done
fi

# --- handlink for developers: header, pkg-config, a program that links and runs ---------------
[ -f "$prefix/include/handlink.h" ] || fail "include/handlink.h missing"
if command -v pkg-config >/dev/null && [ -f "$pcdir/handlink.pc" ]; then
    export PKG_CONFIG_PATH=$pcdir
    libdir=$(pkg-config --variable=libdir handlink)
    [ "$libdir" = "$progdir" ] || fail "handlink.pc names libdir '$libdir', not $progdir"
    cat >"$tmp/rev.c" <<'EOF'
#include <handlink.h>
#include <stdio.h>
int main(void) {
    char rev[16];
    GetInterfaceDllRev(rev, sizeof rev);
    puts(rev);
    return 0;
}
EOF
    # shellcheck disable=SC2046 # the flags are words
    if "$cc" "$tmp/rev.c" -o "$tmp/rev" $(pkg-config --cflags --libs handlink) 2>"$tmp/cc.log"; then
        [ "$("$tmp/rev")" = "3.0" ] || fail "a program linked through handlink.pc does not run"
    else
        fail "a program does not build with handlink.pc: $(cat "$tmp/cc.log")"
    fi
else
    fail "handlink.pc missing from $pcdir (or no pkg-config)"
fi

# --- manual pages: render without warnings, name every command and option ---------------------
man_text() { gzip -dc "$prefix/share/man/man1/$1.1.gz" | sed 's/\\-/-/g; s/\\f[BIRP]//g'; }
for p in zemlo zemlo-cli handsim; do
    page=$prefix/share/man/man1/$p.1.gz
    if ! gzip -t "$page" 2>/dev/null; then
        fail "manual page $p.1.gz missing or damaged"
        continue
    fi
    if command -v groff >/dev/null; then
        warnings=$(gzip -dc "$page" | groff -man -Tutf8 -ww -z 2>&1)
        [ -z "$warnings" ] || fail "$p.1 renders with warnings: $warnings"
    fi
done
# zemlo-cli --help lists each command as "  NAME USAGE"; the page must describe each one.
help=$("$prefix/bin/zemlo-cli" --help) || fail "installed zemlo-cli --help fails"
page=$(man_text zemlo-cli)
while IFS= read -r name; do
    grep -q "^$name " <<<"$page" || fail "zemlo-cli.1 does not describe '$name'"
done < <(printf '%s\n' "$help" | sed -n 's/^  \([a-z]\+\( [a-z]\+\)\?\) .*/\1/p' |
    grep -v '^\(pic\|melody\)')
help=$("$prefix/bin/handsim" --help) || fail "installed handsim --help fails"
page=$(man_text handsim)
while IFS= read -r option; do
    grep -q -- "$option" <<<"$page" || fail "handsim.1 does not mention $option"
done < <(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)

# --- the installed programs work from bin/ ---------------------------------------------------
QT_QPA_PLATFORM=offscreen "$prefix/bin/zemlo" --help >/dev/null 2>&1 ||
    fail "installed zemlo does not start"
# A conversion loads libpicmill.so (and libdisplay.so) from the program folder behind the symlink.
python3 - "$tmp/in.bmp" <<'EOF'
import struct, sys
w, h = 8, 4
row = bytes([0, 0, 255] * w)
pixels = row * h
header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
open(sys.argv[1], 'wb').write(header + info + pixels)
EOF
if ZEMLO_WORK_DIR=$tmp/work QT_QPA_PLATFORM=offscreen \
    "$prefix/bin/zemlo-cli" convert picture "$tmp/in.bmp" "$tmp/out.dwn" >"$tmp/conv.log" 2>&1; then
    [ "$(stat -c %s "$tmp/out.dwn")" = 30748 ] || fail "the converted picture has the wrong size"
else
    fail "installed zemlo-cli cannot convert a picture: $(cat "$tmp/conv.log")"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "install layout: all checks passed"
