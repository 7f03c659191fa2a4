#!/usr/bin/env bash
# Benchmark (not a test): sockfilego's throughput on loopback beside a plain copy of
# the same bytes (socat) into the same receiver, and its peak memory for a small and
# a large file, which must be the same: the sender streams in fixed blocks.
#
#   sender/bench/throughput.sh [BIN_DIR] [RUNS]
# BIN_DIR holds sockfilego and console-sim (default: build/linux/bin, the release build).
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
BIN=${1:-$BUILD/linux/bin}
RUNS=${2:-3}
for tool in socat /usr/bin/time; do
  command -v "$tool" >/dev/null || { say "missing $tool: run scripts/build (ensure_packages) first"; exit 1; }
done
for program in sockfilego console-sim; do
  [ -x "$BIN/$program" ] || { say "no $BIN/$program: build it first"; exit 1; }
done

work=$(mktemp -d)
sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

make_file() {  # path, size in MiB: a CIA's first bytes (0x2020), then noise
  { printf '\x20\x20'; head -c $(($2 * 1048576 - 2)) /dev/urandom; } >"$1"
}

# Starts console-sim for one session in the given mode, received bytes discarded.
start_console() {
  : >"$work/port"
  "$BIN/console-sim" --port 0 --mode "$1" >"$work/port" 2>"$work/console.log" &
  sim_pid=$!
  for _ in $(seq 200); do grep -q '^listening on ' "$work/port" && break; sleep 0.01; done
  port=$(awk '/^listening on /{print $3}' "$work/port")
}

# The receiver's own measure of one transfer, from first byte to last, in MB/s.
receiver_rate() {
  wait "$sim_pid" || true
  sim_pid=""
  sed -nE 's/.* bytes in ([0-9]+) ms.*/\1/p' "$work/console.log" | tail -1 |
    awk -v bytes="$1" '{ printf "%.1f", ($1 > 0 ? bytes / 1000 / $1 : 0) }'
}

run_sender() {  # file; sets rate, wall, rss
  start_console accept
  /usr/bin/time -f '%e %M' -o "$work/time" "$BIN/sockfilego" "127.0.0.1:$port" "$1" >"$work/out"
  grep -q 'Install cia file success' "$work/out" || { say "sockfilego failed: $(cat "$work/out")"; exit 1; }
  rate=$(receiver_rate "$(stat -c %s "$1")")
  read -r wall rss <"$work/time"
}

run_plain() {  # file; sets rate, wall, rss
  start_console raw
  # Blocks as large as the sender's (1 MiB), so socat's 8 KiB default does not flatter the sender.
  /usr/bin/time -f '%e %M' -o "$work/time" socat -u -b 1048576 "FILE:$1" "TCP:127.0.0.1:$port"
  rate=$(receiver_rate "$(stat -c %s "$1")")
  read -r wall rss <"$work/time"
}

best() { sort -g | tail -1; }

make_file "$work/small.cia" 16
make_file "$work/large.cia" 256

printf '%-10s %-11s %14s %9s %12s\n' file sender "MB/s (recv)" "wall s" "max RSS KiB"
sender_rates=() plain_rates=()
for i in $(seq "$RUNS"); do
  run_sender "$work/large.cia"; sender_rates+=("$rate"); large_rss=$rss
  printf '%-10s %-11s %14s %9s %12s\n' "256 MiB" sockfilego "$rate" "$wall" "$rss"
  run_plain "$work/large.cia"; plain_rates+=("$rate")
  printf '%-10s %-11s %14s %9s %12s\n' "256 MiB" socat "$rate" "$wall" "$rss"
done
run_sender "$work/small.cia"; small_rss=$rss
printf '%-10s %-11s %14s %9s %12s\n' "16 MiB" sockfilego "$rate" "$wall" "$rss"

sender_best=$(printf '%s\n' "${sender_rates[@]}" | best)
plain_best=$(printf '%s\n' "${plain_rates[@]}" | best)
ratio=$(awk -v s="$sender_best" -v p="$plain_best" 'BEGIN { printf "%.1f", (p > 0 ? 100 * s / p : 0) }')
growth=$((large_rss - small_rss))
echo
echo "throughput (best of $RUNS): sockfilego $sender_best MB/s, plain copy $plain_best MB/s: $ratio % (goal >= 90 %)"
echo "peak memory: 16 MiB file $small_rss KiB, 256 MiB file $large_rss KiB (growth $growth KiB; goal: none beyond noise)"
awk -v r="$ratio" 'BEGIN { exit !(r >= 90) }' && echo "throughput goal: met" || echo "throughput goal: NOT met"
# A few hundred KiB of allocator noise is not growth; a buffered file would add ~240 MiB.
[ "$growth" -lt 2048 ] && echo "memory goal: met" || echo "memory goal: NOT met"
