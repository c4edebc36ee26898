#!/usr/bin/env bash
# Start-up to the first painted frame (offscreen), the whole process: the
# program's own start against a bare window with a table in the same
# executable, so with the same libraries. Paired runs, alternately.
#
# usage: BUILD=/abs/build bench/compare/startup.sh N
# stdout: "startup <ours_s> <bare_s>" per paired run
set -euo pipefail
export LC_ALL=C   # decimal points in the times
runs=${1:-5}
build=${BUILD:?BUILD must name the build directory}
bench="$build/bench/bench_startup"
[ -x "$bench" ] || { echo "startup: $bench is not built" >&2; exit 1; }

# The benchmark ends at its first frame without tearing down, so its
# temporary home stays behind: it is made in a folder removed here.
homes=$(mktemp -d "${TMPDIR:-/tmp}/mirelda-startup-XXXXXX")
trap 'rm -rf "$homes"' EXIT
export TMPDIR="$homes"

. "$(dirname "$0")/wall_time.bash"

"$bench" >/dev/null 2>&1   # once, so that neither side pays for a cold disk cache
for ((i = 1; i <= runs; i++)); do
  ours=$(seconds_of "$bench")
  bare=$(seconds_of "$bench" --bare)
  echo "startup $ours $bare"
done
