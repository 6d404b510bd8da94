# Helpers for the Windows edition's scripts: packages, Debian sources, and a
# Wine session of its own (prefix in the build tree, private Xvfb). Source it.

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Installs what packages.txt lists for the Windows edition and is missing.
install_windows_packages() {
  install_packages windows
  # Wine takes its ANSI code page from the locale: zh_CN gives 936 (GBK).
  if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
  fi
}

# Unpacks Debian's pcre2 source package, of the version in the release's main
# suite, into BUILD_DIR/_deps/pcre2-src (once).
fetch_windows_sources() {
  local build_dir=$1 deps src codename version list
  deps="$build_dir/_deps"
  src="$deps/pcre2-src"
  [ -f "$src/CMakeLists.txt" ] && return 0
  mkdir -p "$deps"
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  list=/etc/apt/sources.list.d/marvoset-deb-src.sources
  if ! apt-get source --print-uris pcre2 >/dev/null 2>&1; then
    cat >"$list" <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: $codename-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    apt-get update -q >/dev/null
  fi
  # The binary package's version in the main suite (the security suite's
  # newest source may be missing from the mirror).
  version=$(apt-cache madison libpcre2-dev |
    awk -F'|' -v s=" $codename/main" 'index($3, s) { gsub(/ /, "", $2); print $2; exit }')
  [ -n "$version" ] || { echo "no pcre2 version in $codename/main" >&2; return 1; }
  echo "Fetching Debian source pcre2 $version"
  rm -rf "$deps/pcre2-dl" && mkdir -p "$deps/pcre2-dl"
  (cd "$deps/pcre2-dl" && apt-get source -q --download-only "pcre2=$version" >/dev/null 2>&1 &&
    dpkg-source --no-check -x ./*.dsc "$src" >/dev/null)
}

# Starts a private Xvfb and a window manager, makes the Wine prefix
# BUILD_DIR/wine-prefix and keeps its wineserver running. Exports DISPLAY,
# WINEPREFIX and the rest of the Wine environment. Logs go to
# BUILD_DIR/wine-logs, since Wine's background processes hold their standard
# output open long after a program ends.
start_wine_session() {
  local build_dir=$1 logs
  logs="$build_dir/wine-logs"
  mkdir -p "$logs"
  export WINEPREFIX="$build_dir/wine-prefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$logs/display" 2>"$logs/xvfb.log" &
  WINE_XVFB_PID=$!
  local n=0
  while ! grep -q '^[0-9][0-9]*$' "$logs/display" 2>/dev/null; do
    sleep 0.1
    n=$((n + 1))
    [ $n -lt 100 ] || { echo "Xvfb did not start" >&2; return 1; }
  done
  export DISPLAY=":$(head -n1 "$logs/display")"
  openbox >"$logs/openbox.log" 2>&1 &
  WINE_WM_PID=$!
  mkdir -p "$WINEPREFIX"
  wineserver -p >"$logs/wineserver.log" 2>&1
  wineboot -i >"$logs/wineboot.log" 2>&1
}

# Ends what start_wine_session started.
stop_wine_session() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  [ -n "${WINE_WM_PID:-}" ] && kill "$WINE_WM_PID" 2>/dev/null || true
  [ -n "${WINE_XVFB_PID:-}" ] && kill "$WINE_XVFB_PID" 2>/dev/null || true
  WINE_WM_PID= WINE_XVFB_PID=
}
