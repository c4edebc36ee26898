#!/usr/bin/env bash
# Our benchmarks side by side with their peers: each part script
# bench/compare/<area>.sh runs ours and its peer in turn, N times, and
# prints "<label> <ours_seconds> <peer_seconds>" per paired run (the peer
# value is the limit where the goal is an absolute one). This script builds
# the benchmarks, runs every part, and prints per label the median ratio
# ours / peer, its spread over the pairs and the goal.
#
# usage: bench/compare.sh [--setup] [--runs N] [AREA...]
#   --setup   first install what the peers need (bash scripts/setup.sh --bench)
#   --runs N  paired runs per part (default 7)
#   AREA      only these parts (open, report, program, ...); default all
# The build directory is ${BUILD:-build}.
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/.." && pwd)
runs=7
setup=0
areas=()
while [ $# -gt 0 ]; do
  case "$1" in
    --setup) setup=1 ;;
    --runs) runs=${2:?--runs needs a number}; shift ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "compare: unknown option $1" >&2; exit 2 ;;
    *) areas+=("$1") ;;
  esac
  shift
done
case "$runs" in ''|*[!0-9]*|0) echo "compare: --runs needs a positive number" >&2; exit 2 ;; esac

[ "$setup" = 1 ] && bash "$root/scripts/setup.sh" --bench

build=${BUILD:-build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
export BUILD="$build"

# the goal of each label: the largest ratio ours / peer that meets it
declare -A goal=([open]=2.0 [report]=0.6 [program]=1.10 [download-fixed]=1.0 [startup]=2.0
                 [manyfiles]=1.0 [manyfiles-3s]=1.0 [manyfiles-flat]=1.25 [manyfiles-table]=1.0
                 [manyfiles-closed]=1.0)

targets=()
for source in "$root"/bench/bench_*.cpp; do
  targets+=("$(basename "$source" .cpp)")
done
[ -d "$root/tools/loggersim" ] && targets+=(loggersim)
echo "compare: building ${targets[*]} into $build" >&2
# a new build directory is made for speed; an existing one keeps its type
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" >/dev/null
else
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >/dev/null

parts=()
if [ ${#areas[@]} -eq 0 ]; then
  for part in "$root"/bench/compare/*.sh; do
    [ -x "$part" ] && parts+=("$part")
  done
else
  for area in "${areas[@]}"; do
    part="$root/bench/compare/$area.sh"
    [ -x "$part" ] || { echo "compare: no part script $part" >&2; exit 2; }
    parts+=("$part")
  done
fi
[ ${#parts[@]} -gt 0 ] || { echo "compare: no part script in bench/compare" >&2; exit 1; }

pairs=$(mktemp)
trap 'rm -f "$pairs"' EXIT
failed=0
for part in "${parts[@]}"; do
  echo "compare: $(basename "$part" .sh), $runs paired runs" >&2
  if ! "$part" "$runs" >>"$pairs"; then
    echo "compare: $(basename "$part") failed" >&2
    failed=1
  fi
done

goals=$(for label in "${!goal[@]}"; do echo "$label ${goal[$label]}"; done)
/usr/bin/python3 - "$pairs" "$goals" <<'PY'
import statistics, sys

goals = dict(line.split() for line in sys.argv[2].splitlines() if line.strip())
runs = {}
order = []
with open(sys.argv[1]) as pairs:
    for line in pairs:
        fields = line.split()
        if len(fields) != 3:
            continue
        label, ours, peer = fields[0], float(fields[1]), float(fields[2])
        if label not in runs:
            runs[label] = []
            order.append(label)
        runs[label].append((ours, peer))

print("%-16s %5s %12s %12s %8s %15s %8s" % ("label", "pairs", "ours (s)", "peer (s)", "ratio", "spread", "goal"))
for label in order:
    pairs = runs[label]
    ratios = [ours / peer for ours, peer in pairs if peer > 0]
    ratio = statistics.median(ratios) if ratios else float("nan")
    spread = "%.2f-%.2f" % (min(ratios), max(ratios)) if ratios else "-"
    target = goals.get(label)
    verdict = "-" if target is None else ("%s %s" % (target, "met" if ratio <= float(target) else "MISSED"))
    print("%-16s %5d %12.4f %12.4f %8.2f %15s %s" % (
        label, len(pairs), statistics.median(o for o, _ in pairs),
        statistics.median(p for _, p in pairs), ratio, spread, verdict))
PY
exit $failed
