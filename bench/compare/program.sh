#!/usr/bin/env bash
# Full reprogramming against the least client of the same frames on the
# same simulator (bench/peers/program_client.py), and the fixed cost of an
# unpaced download against its limit of 25 ms. Paired runs, alternately.
#
# usage: BUILD=/abs/build bench/compare/program.sh N
# stdout: "program <ours_s> <peer_s>" and "download-fixed <ours_s> 0.025"
# per paired run.
set -euo pipefail
export LC_ALL=C   # decimal points in the times: the benchmarks print through the C library
runs=${1:-5}
build=${BUILD:?BUILD must name the build directory}
here=$(cd "$(dirname "$0")/.." && pwd)
sim="$build/tools/loggersim/loggersim"
frames=10   # reprogrammings per run, on both sides

ours_program() {
  "$build/bench/bench_program" --benchmark_format=json 2>/dev/null |
    /usr/bin/python3 -c 'import json, sys
b = json.load(sys.stdin)["benchmarks"][0]
print("%.6f" % (b["taken_ms"] / 1e3))'
}

for ((i = 1; i <= runs; i++)); do
  ours=$(ours_program)
  peer=$(/usr/bin/python3 "$here/peers/program_client.py" "$sim" "$frames")
  echo "program $ours $peer"
  fixed=$("$build/bench/bench_download" --fixed-only)
  echo "download-fixed $fixed 0.025"
done
