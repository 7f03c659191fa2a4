# Shared by the scripts in this folder: paths, package set-up, Wine and a virtual display.
# shellcheck shell=bash

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$REPO/build"
DIST="$REPO/dist"
WINE=/usr/lib/wine/wine64
PACKAGES=(cmake g++ make ccache googletest libbenchmark-dev g++-mingw-w64-x86-64 g++-mingw-w64-i686
          wine wine64 xvfb x11-utils xdotool locales fonts-wqy-zenhei imagemagick socat time)

say() { printf '==> %s\n' "$*" >&2; }

# Installs whatever is missing; a machine that has everything is left alone.
ensure_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    say "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
  if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
    say "generating the zh_CN.UTF-8 locale (GBK code page under Wine)"
    local sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
  fi
}

wine_env() {
  export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
  export WINEDEBUG=-all
  export WINEARCH=win64
  export LC_ALL=zh_CN.UTF-8
  # No Mono or Gecko install prompts.
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

# Creates the Wine prefix once. Without a window manager every closing window
# would cost 2 s unless Wine manages no windows itself.
ensure_wine_prefix() {
  wine_env
  if [ ! -f "$WINEPREFIX/.prefix-ready" ]; then
    say "creating the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    /usr/lib/wine/wineserver -w || true
    touch "$WINEPREFIX/.prefix-ready"
  fi
}

# Starts Xvfb on a free display unless one is usable already; stop_display ends it.
XVFB_PID=""
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
  say "Xvfb did not start"; return 1
}
stop_display() {
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; XVFB_PID=""; fi
}
