# Sourced by the part scripts (not a part itself: the runner takes *.sh).

# Wall time of a whole command, in seconds. A command that fails is not
# timed: a run that crashed early would pass for a fast one.
seconds_of() {
  local start=$EPOCHREALTIME
  if ! "$@" >/dev/null 2>&1; then
    echo "$(basename "$1") failed: $*" >&2
    return 1
  fi
  local end=$EPOCHREALTIME
  echo "$start $end" | awk '{ printf "%.6f\n", $2 - $1 }'
}
