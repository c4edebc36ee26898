#!/usr/bin/env bash
# Opening a data file of 65,536 readings until its graph is painted,
# against a Python script that reads the same readings from their CSV
# export and computes their minimum, maximum and mean (the whole process,
# interpreter start included). Paired runs, alternately.
#
# usage: BUILD=/abs/build bench/compare/open.sh N
# stdout: "open <ours_s> <peer_s>" per paired run
set -euo pipefail
export LC_ALL=C   # decimal points in the times
runs=${1:-5}
build=${BUILD:?BUILD must name the build directory}
here=$(cd "$(dirname "$0")/.." && pwd)
bench="$build/bench/bench_open"
peer="$here/peers/open_csv.py"
[ -x "$bench" ] || { echo "open: $bench is not built" >&2; exit 1; }

files=$(mktemp -d "${TMPDIR:-/tmp}/mirelda-open-XXXXXX")
trap 'rm -rf "$files"' EXIT
"$bench" --write "$files" 2>/dev/null

. "$(dirname "$0")/wall_time.bash"

for ((i = 1; i <= runs; i++)); do
  ours=$("$bench" "$files/trip.qlf" 2>/dev/null)
  theirs=$(seconds_of /usr/bin/python3 "$peer" "$files/trip.csv")
  echo "open $ours $theirs"
done
