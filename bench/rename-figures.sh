#!/usr/bin/env bash
# Whole-process figures of a rename of many files in one folder, each run on
# a folder made fresh for it, the commands alternating round by round:
#
#   torvel-cli, a series in name order   against the one-rename floor, and
#                                        against perl rename on the same job
#   torvel-cli, a full reversal          against the two-phase loop
#   torvel-cli's peak resident memory    against its bound (perl rename beside it)
#
# Usage: bench/rename-figures.sh [ROUNDS] [FILES]   (release build first:
#   cmake --preset release && cmake --build --preset release)
# Folders are never removed while figures are taken: ext4 is slow for a while
# after 100,000 names were deleted in a place.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
files=${2:-100000}
bin=$PWD/build/release/bin
work=${TORVEL_BENCH_DIR:-$PWD/build/release/rename-figures}
for tool in /usr/bin/time file-rename; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/deps.sh" >&2; exit 1; }
done
rm -rf "$work" && mkdir -p "$work/state"
export XDG_STATE_HOME=$work/state LC_ALL=C.UTF-8
count=0

# measure NAME PREFIX COMMAND...: a fresh folder of $files files, then the
# command run inside it; appends "seconds kilobytes" to $work/NAME.
measure() {
  local name=$1 prefix=$2
  shift 2
  count=$((count + 1))
  local dir=$work/run-$count
  "$bin/RenameFloor" make "$dir" "$files" "$prefix"
  sync
  (cd "$dir" && /usr/bin/time -f "%e %M" -o "$work/last" "$@" >/dev/null)
  cat "$work/last" >>"$work/$name"
}

cli=("$bin/torvel-cli" -i TOR -s 0 -d 5 -e txt --keep-case --number-only
  --replace-duplicates --no-same-name)
perlJob='our $n //= 0; $_ = sprintf("TOR%05d.txt", $n++)'
for ((r = 1; r <= rounds; r++)); do
  echo "round $r of $rounds" >&2
  measure floor photo_ "$bin/RenameFloor" one .
  measure cli photo_ "${cli[@]}" --sort=name .
  measure perl photo_ sh -c "find . -maxdepth 1 -name 'photo_*' | sort | file-rename '$perlJob'"
  measure twophase TOR "$bin/RenameFloor" reverse .
  measure reversal TOR "${cli[@]}" --sort=name-desc .
done

# ratio A B BOUND TEXT: per-round ratios of A's times to B's, median and spread.
ratio() {
  paste -d' ' "$work/$1" "$work/$2" | awk '{ print $1 / $3 }' | sort -g |
    awk -v bound="$3" -v what="$4" '{ r[NR] = $1 } END {
      med = (NR % 2) ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2
      printf "%-58s %5.2f (%.2f-%.2f)  bound %5.2f  %s\n", what, med, r[1], r[NR], bound,
        (med <= bound ? "ok" : "OVER") }'
}
echo "$files files, $rounds rounds; ratio median (spread)"
ratio cli floor 1.15 "torvel-cli series / one-rename floor"
ratio cli perl 0.999 "torvel-cli series / perl rename (must be below 1)"
ratio reversal twophase 1.10 "torvel-cli full reversal / two-phase loop"
awk '{ if ($2 > m) m = $2 } END { printf "%-58s %5.1f MiB  bound 45.0 MiB  %s\n",
  "torvel-cli peak resident memory", m / 1024, (m / 1024 <= 45 ? "ok" : "OVER") }' "$work/cli"
awk '{ if ($2 > m) m = $2 } END { printf "%-58s %5.1f MiB\n", "perl rename peak resident memory",
  m / 1024 }' "$work/perl"
for f in floor cli perl twophase reversal; do
  printf '%-9s seconds: %s\n' "$f" "$(cut -d' ' -f1 "$work/$f" | tr '\n' ' ')"
done
