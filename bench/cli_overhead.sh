#!/bin/sh
# What the zelkor command costs per analysis: a GA study of 200 evaluations
# (the cantilever example, population 20) whose analysis sleeps 20 ms, run with
# --jobs 1, 2, 4 and 8: locally, through Slurm with sbatch --wait per analysis,
# and with srun job steps inside an allocation (salloc). The Slurm rows need a
# running cluster (scripts/slurm-local.sh start).
#
# Per analysis, in ms:
#   own         the analysis by itself (sh, the 20 ms sleep, awk), timed in a
#               plain shell loop, once
#   in flight   launch to end as the log records it (the launch included; with
#               more jobs than cores the analyses also slow one another down)
#   slot        wall time x jobs / analyses: what one of the N slots spends
#   overhead    slot - own: all the run adds to the analysis (the launch, the
#               files, the library, and slots idle when a GA generation of 20
#               does not divide by N or analyses wait for a core)
#   between     slot - in flight: a slot's time outside any analysis
# Goal: local overhead under 5 ms at --jobs 1.
#
# usage: bench/cli_overhead.sh [BUILD_FOLDER]   (default build)
#        SCHEDULERS="local" bench/cli_overhead.sh   (default "local srun sbatch")
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
sed -e 's/^\[run\]/[run]\nscheduler = "slurm"/' "$work/local.toml" > "$work/sbatch.toml"
printf '\n[slurm]\nmode = "srun"\n' | cat "$work/sbatch.toml" - > "$work/srun.toml"

mkdir -p "$work/own"
printf 'width = 10\nheight = 95\n' > "$work/own/params.txt"
start=$(now)
(cd "$work/own" && i=0 && while [ $i -lt 50 ]; do sh ../cantilever.sh; i=$((i + 1)); done)
own=$(echo "$start $(now)" | awk '{ printf "%.1f", ($2 - $1) / 50 * 1000 }')
echo "the analysis by itself: $own ms (a 20 ms sleep, sh and awk)"
echo
printf '%-7s %4s %8s %9s %10s %9s %9s %9s\n' mode jobs analyses "wall (s)" "in flight" slot overhead between

for mode in ${SCHEDULERS:-local srun sbatch}; do
    if [ "$mode" != local ] && ! sinfo > /dev/null 2>&1; then
        echo "$mode: no Slurm cluster answers (scripts/slurm-local.sh start); rows left out" >&2
        continue
    fi
    for jobs in 1 2 4 8; do
        rm -rf "$work/runs" "$work/evaluations.csv"
        set -- "$zelkor" run "$work/$mode.toml" --jobs "$jobs"
        [ "$mode" = srun ] && set -- salloc --quiet -N1 --exclusive "$@"
        start=$(now)
        "$@" > /dev/null 2>&1
        wall=$(echo "$start $(now)" | awk '{ print $2 - $1 }')
        grep -v '^#' "$work/evaluations.csv" | sed 1d |
            awk -F, -v wall="$wall" -v jobs="$jobs" -v own="$own" -v mode="$mode" '
                { inflight += $9; count++ }
                END {
                    inflight = inflight / count * 1000
                    slot = wall * jobs / count * 1000
                    printf "%-7s %4d %8d %9.2f %10.1f %9.1f %9.1f %9.1f\n", mode, jobs, count,
                        wall, inflight, slot, slot - own, slot - inflight
                }'
    done
done
