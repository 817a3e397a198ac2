#!/bin/sh
# What the zelkor command costs per analysis: a GA study of 200 evaluations
# (the cantilever example, population 20) whose analysis sleeps 20 ms, run with
# --jobs 1, 2, 4 and 8, locally and through Slurm (sbatch --wait per analysis;
# needs a running cluster, scripts/slurm-local.sh start).
#
# Per analysis: "own" is the analysis run by itself (sh, the 20 ms sleep, awk),
# timed in a plain shell loop; "in flight" is the mean launch-to-end time the
# log records; "overhead" is wall time x jobs / analyses - own, what a slot of
# the run spends per analysis beyond the analysis itself (the launch, the
# files, the library; with jobs > 1 also the slots idle at the end of a GA
# generation, 20 designs, that does not divide evenly). Goal: local overhead
# under 5 ms at --jobs 1.
#
# usage: bench/cli_overhead.sh [BUILD_FOLDER]   (default build)
#        SCHEDULERS="local" bench/cli_overhead.sh   to leave Slurm out
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
zelkor=$(cd "${1:-$root/build}" && pwd)/zelkor
work=$(mktemp -d "${TMPDIR:-/tmp}/zelkor-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export CANTILEVER_SLEEP=0.02

now() { date +%s.%N; }

cp "$root/examples/cli/cantilever.sh" "$work/"
sed -e 's/^maxfev = 300/maxfev = 200/' -e 's/^time_limit = .*/time_limit = 600.0/' \
    "$root/examples/cli/cantilever.toml" > "$work/local.toml"
sed -e 's/^\[run\]/[run]\nscheduler = "slurm"/' "$work/local.toml" > "$work/slurm.toml"

# The analysis alone, 50 times in a row, in a folder of its own.
mkdir -p "$work/own"
printf 'width = 10\nheight = 95\n' > "$work/own/params.txt"
start=$(now)
(cd "$work/own" && i=0 && while [ $i -lt 50 ]; do sh ../cantilever.sh; i=$((i + 1)); done)
own=$(echo "$start $(now)" | awk '{ printf "%.2f", ($2 - $1) / 50 * 1000 }')
echo "the analysis by itself: $own ms (a 20 ms sleep, sh and awk)"
echo
printf '%-9s %5s %10s %10s %14s %12s\n' scheduler jobs analyses "wall (s)" "in flight (ms)" "overhead (ms)"

for scheduler in ${SCHEDULERS:-local slurm}; do
    if [ "$scheduler" = slurm ] && ! sinfo > /dev/null 2>&1; then
        echo "slurm: no cluster answers (scripts/slurm-local.sh start); Slurm rows left out" >&2
        continue
    fi
    for jobs in 1 2 4 8; do
        rm -rf "$work/runs" "$work/evaluations.csv"
        start=$(now)
        "$zelkor" run "$work/$scheduler.toml" --jobs "$jobs" > /dev/null 2>&1
        wall=$(echo "$start $(now)" | awk '{ print $2 - $1 }')
        grep -v '^#' "$work/evaluations.csv" | sed 1d |
            awk -F, -v wall="$wall" -v jobs="$jobs" -v own="$own" -v scheduler="$scheduler" '
                { inflight += $9; count++ }
                END {
                    printf "%-9s %5d %10d %10.2f %14.1f %12.1f\n", scheduler, jobs, count, wall,
                        inflight / count * 1000, wall * jobs / count * 1000 - own
                }'
    done
done
