#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that a Linux desktop
# finds the program, its icon and its menu entry there.
set -u
build_dir=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build_dir" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
[ -x "$prefix/bin/marvoset" ] || fail "no bin/marvoset"
icon="$prefix/share/icons/hicolor/scalable/apps/marvoset.svg"
grep -q '<svg' "$icon" || fail "no scalable icon"
entry="$prefix/share/applications/marvoset.desktop"
[ -f "$entry" ] || fail "no desktop entry"
for line in '^\[Desktop Entry\]$' '^Type=Application$' '^Name=Marvoset$' '^Exec=marvoset$' \
  '^Icon=marvoset$' '^Categories=Utility;TextTools;$' '^Comment\[zh_CN\]=.*拼音'; do
  grep -q "$line" "$entry" || fail "desktop entry lacks $line"
done
echo "PASS: $(cd "$prefix" && find . -type f | sort | tr '\n' ' ')"
