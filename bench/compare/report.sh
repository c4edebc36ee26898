#!/bin/bash
# The PDF report of 658 pages (65,536 single-channel readings): our
# benchmark against a reportlab script drawing the same layout, run in
# turn N times. Prints "report <ours_seconds> <peer_seconds>" per pair.
#   BUILD=/abs/build bench/compare/report.sh N
set -euo pipefail
runs=${1:-5}
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/../build}
bench=$build/bench/bench_report
peer=$here/peers/report_reportlab.py
[ -x "$bench" ] || { echo "report: $bench is not built" >&2; exit 1; }
/usr/bin/python3 -c 'import reportlab' 2>/dev/null \
    || { echo "report: python3-reportlab is missing (bash scripts/setup.sh --bench)" >&2; exit 1; }

ours() {
    "$bench" --benchmark_filter='BM_ReportPdf_1ch_65536' --benchmark_format=json 2>/dev/null \
        | /usr/bin/python3 -c '
import json, sys
run = json.load(sys.stdin)["benchmarks"][0]
scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run["time_unit"]]
print("%.4f" % (run["real_time"] * scale))'
}

for ((i = 0; i < runs; i++)); do
    mine=$(ours)
    theirs=$(/usr/bin/python3 "$peer" 2>/dev/null)
    echo "report $mine $theirs"
done
