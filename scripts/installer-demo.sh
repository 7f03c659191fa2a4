# Shared by run-installer, screenshot-installer and bench-installer-cpu: a
# folder with wireless-installer.exe and our sockfilego.exe, a sample CIA and
# the simulated console on 127.0.0.1.
# shellcheck shell=bash
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Where the programs come from: the shipped ones in dist/, the demo driver from
# the Windows build with tests. Override to use other build trees.
WIN_BIN=${INSTALLER_WIN_BIN:-$DIST/win64}
LINUX_BIN=${INSTALLER_LINUX_BIN:-$DIST/linux}
DRIVER_BIN=${INSTALLER_DRIVER_BIN:-$BUILD/win64/bin}

need_programs() {  # files in WIN_BIN, then after "--" in LINUX_BIN, after "---" in DRIVER_BIN
  local dir=$WIN_BIN f
  for f in "$@"; do
    if [ "$f" = -- ]; then dir=$LINUX_BIN; continue; fi
    if [ "$f" = --- ]; then dir=$DRIVER_BIN; continue; fi
    [ -f "$dir/$f" ] || { say "$dir/$f is missing: run scripts/build first"; exit 1; }
  done
}

# The Windows name of a Linux path (Wine shows the Linux root as drive Z:).
windows_path() { local p; p=$(readlink -f "$1"); printf 'Z:%s' "${p//\//\\}"; }

# A new folder with the installer and the sender side by side; sets DEMO_DIR.
make_demo_dir() {
  DEMO_DIR=$(mktemp -d "${TMPDIR:-/tmp}/wireless-installer.XXXXXX")
  cp "$WIN_BIN/wireless-installer.exe" "$WIN_BIN/sockfilego.exe" "$DEMO_DIR/"
}

# make_sample_cia PATH MEGABYTES: the header-size field of a CIA (0x2020,
# little endian), then random bytes.
make_sample_cia() {
  { printf '\x20\x20\x00\x00'; head -c $(($2 * 1024 * 1024 - 4)) /dev/urandom; } >"$1"
}

# start_console MODE SESSIONS OUTDIR: console-sim on a free port of 127.0.0.1;
# sets CONSOLE_PID and CONSOLE_PORT. Its log goes to OUTDIR/console.log.
start_console() {
  mkdir -p "$3"
  "$LINUX_BIN/console-sim" --port 0 --mode "$1" --sessions "$2" --out "$3" >"$3/console.log" 2>&1 &
  CONSOLE_PID=$!
  CONSOLE_PORT=""
  for _ in $(seq 100); do
    CONSOLE_PORT=$(sed -n 's/^listening on \([0-9]*\).*/\1/p' "$3/console.log" | head -1)
    [ -n "$CONSOLE_PORT" ] && return
    sleep 0.05
  done
  say "console-sim did not start: $(cat "$3/console.log")"
  return 1
}
stop_console() {
  if [ -n "${CONSOLE_PID:-}" ]; then kill "$CONSOLE_PID" 2>/dev/null || true; wait "$CONSOLE_PID" 2>/dev/null || true; fi
  CONSOLE_PID=""
}
