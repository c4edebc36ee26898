#!/usr/bin/env bash
# Loading many data files in one File > Load choice, until every row is
# listed and the chosen row's graph is painted, against the Python script
# of the open part reading the same readings from all the files' CSV
# exports (the whole process, interpreter start included); then how the
# time a file takes holds from 500 to 2,000 files, and the memory the
# window holds for 2,000 files chosen together. Paired runs, alternately.
#
# usage: BUILD=/abs/build bench/compare/manyfiles.sh N
# stdout per paired run, "<label> <ours> <peer or limit>":
#   manyfiles          seconds for 500 files; the peer's seconds for them
#   manyfiles-3s       the same seconds; the limit of 3 s
#   manyfiles-flat     seconds a file at 2,000 files; seconds a file at 500
#   manyfiles-table    MB at the Table page of 2,000 chosen files; 1,024 MB
#   manyfiles-closed   MB more after Close All Files than before the load; 50 MB
set -euo pipefail
export LC_ALL=C   # decimal points in the times
runs=${1:-5}
build=${BUILD:?BUILD must name the build directory}
here=$(cd "$(dirname "$0")/.." && pwd)
bench="$build/bench/bench_manyfiles"
peer="$here/peers/open_csv.py"
[ -x "$bench" ] || { echo "manyfiles: $bench is not built" >&2; exit 1; }

files=$(mktemp -d "${TMPDIR:-/tmp}/mirelda-manyfiles-XXXXXX")
trap 'rm -rf "$files"' EXIT
echo "manyfiles: writing 2,000 data files and their CSV exports" >&2
"$bench" --write "$files" 2000 2>/dev/null
mapfile -t exports < <(ls "$files"/*.csv | head -n 500)

. "$(dirname "$0")/wall_time.bash"

for ((i = 1; i <= runs; i++)); do
  ours=$("$bench" "$files" 500 2>/dev/null)
  theirs=$(seconds_of /usr/bin/python3 "$peer" "${exports[@]}")
  all=$("$bench" "$files" 2000 2>/dev/null)
  read -r before _ table closed < <("$bench" --memory "$files" 2>/dev/null)
  echo "manyfiles $ours $theirs"
  echo "manyfiles-3s $ours 3"
  awk -v all="$all" -v some="$ours" 'BEGIN { printf "manyfiles-flat %.9f %.9f\n", all / 2000, some / 500 }'
  echo "manyfiles-table $table 1024"
  awk -v before="$before" -v closed="$closed" 'BEGIN { printf "manyfiles-closed %.1f 50\n", closed - before }'
done
