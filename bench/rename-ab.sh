#!/usr/bin/env bash
# Two builds of torvel-cli on one job, a series in name order over many files
# in one folder, taking turns (A B, then B A) round by round, each run on a
# folder made fresh for it: whether one build's way pays for itself.
#
# Usage: bench/rename-ab.sh BIN_A BIN_B [ROUNDS] [FILES] [BOUND]
#   BIN_A, BIN_B: folders holding a release torvel-cli (BIN_A also RenameFloor)
#   BOUND: what A/B must reach for A's way to be worth its code (default
#          1.03: A saves at least 3% of B's time)
# Copy build/release/bin aside before the change to have the other build.
set -euo pipefail
cd "$(dirname "$0")/.."
a=$(realpath "$1")
b=$(realpath "$2")
rounds=${3:-7}
files=${4:-100000}
bound=${5:-1.03}
work=${TORVEL_BENCH_DIR:-$PWD/build/release/rename-ab}
rm -rf "$work" && mkdir -p "$work/state"
export XDG_STATE_HOME=$work/state LC_ALL=C.UTF-8
: >"$work/A" && : >"$work/B"
count=0

# measure WHICH BIN: a fresh folder of $files files, then BIN's torvel-cli in it.
measure() {
  count=$((count + 1))
  local dir=$work/run-$count
  "$a/RenameFloor" make "$dir" "$files" photo_
  sync
  (cd "$dir" && /usr/bin/time -f "%e %M" -o "$work/last" "$2/torvel-cli" -i TOR -s 0 -d 5 \
    -e txt --keep-case --number-only --replace-duplicates --no-same-name --sort=name . >/dev/null)
  cat "$work/last" >>"$work/$1"
}

for ((r = 1; r <= rounds; r++)); do
  echo "round $r of $rounds" >&2
  if ((r % 2)); then measure A "$a" && measure B "$b"; else measure B "$b" && measure A "$a"; fi
done

echo "$files files, $rounds rounds"
for f in A B; do
  printf '%s seconds: %s\n' "$f" "$(cut -d' ' -f1 "$work/$f" | tr '\n' ' ')"
done
paste -d' ' "$work/B" "$work/A" | awk '{ print $1 / $3 }' | sort -g |
  awk -v bound="$bound" '{ r[NR] = $1 } END {
    med = (NR % 2) ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2
    printf "B / A per round: median %.3f (%.3f-%.3f)  bound %.3f  %s\n", med, r[1], r[NR], bound,
      (med >= bound ? "A pays for itself" : "A does not pay for itself") }'
for f in A B; do
  awk -v f="$f" '{ if ($2 > m) m = $2 } END { printf "%s peak resident memory %.1f MiB\n", f, m / 1024 }' \
    "$work/$f"
done
