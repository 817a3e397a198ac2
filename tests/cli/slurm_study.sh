#!/bin/sh
# The cantilever study through Slurm (sbatch --wait, one job per analysis) must
# evaluate the same designs and reach the same result as the same study run
# locally, a failing analysis included; a run interrupted while its jobs run
# must leave none of them behind. Needs a running cluster: .ci/run calls it
# between scripts/slurm-local.sh start and stop.
# usage: slurm_study.sh ZELKOR EXAMPLE_FOLDER WORK_FOLDER
set -eu

zelkor=$1
example=$2
# Absolute: the analyses run in folders of their own and find files through it.
mkdir -p "$3"
work=$(cd "$3" && pwd)

fail() {
    echo "FAIL (slurm): $*" >&2
    exit 1
}

# A short study (three GA generations), with or without the Slurm scheduler.
study_in() {
    rm -rf "$1"
    mkdir -p "$1"
    cp "$example/cantilever.sh" "$1/"
    sed -e 's/^maxfev = 300/maxfev = 60/' -e "s/^\[run\]/[run]\nscheduler = \"$2\"/" \
        "$example/cantilever.toml" > "$1/cantilever.toml"
    printf '\n[slurm]\ntime = "2"\n' >> "$1/cantilever.toml"
}

designs_of() {
    grep -v '^#' "$1/evaluations.csv" | sed 1d | sort -t, -k1,1n | cut -d, -f1-8
}

command -v sbatch > /dev/null || fail "sbatch is not installed"
for scheduler in local slurm; do
    study_in "$work/$scheduler" "$scheduler"
    status=0
    CANTILEVER_FAULT="fail@2,garbage@7" "$zelkor" run "$work/$scheduler/cantilever.toml" --jobs 4 \
        > "$work/$scheduler/out.txt" || status=$?
    [ "$status" -eq 0 ] || fail "the $scheduler run exited with $status"
done
designs_of "$work/local" > "$work/designs_local"
designs_of "$work/slurm" > "$work/designs_slurm"
cmp -s "$work/designs_local" "$work/designs_slurm" || fail "the Slurm run's designs or statuses differ"
grep -E '^(zelkor:|design:|responses:)' "$work/local/out.txt" > "$work/result_local"
grep -E '^(zelkor:|design:|responses:)' "$work/slurm/out.txt" > "$work/result_slurm"
cmp -s "$work/result_local" "$work/result_slurm" || fail "the Slurm run's result differs"
grep -q '^2,.*,exit,.*"job [0-9]*",' "$work/slurm/evaluations.csv" ||
    fail "the failing analysis is not logged as a failed Slurm job"
[ "$(grep -c ',"job [0-9]*",' "$work/slurm/evaluations.csv")" -eq "$(wc -l < "$work/designs_slurm")" ] ||
    fail "evaluations without a Slurm job id"

# Ctrl-C while a job hangs: no job of the run may stay pending or running,
# neither a batch job (cancelled by its name) nor srun's (srun ends its job
# when sent SIGTERM; killed at once, it leaves it running).
for mode in sbatch srun; do
    study_in "$work/cut-$mode" slurm
    printf 'mode = "%s"\n' "$mode" >> "$work/cut-$mode/cantilever.toml"
    status=0
    CANTILEVER_FAULT="interrupt@0" CANTILEVER_PID_FILE="$work/cut-$mode/pid" \
        sh -c 'echo $$ > "$1"; exec "$2" run "$3" --jobs 2' sh "$work/cut-$mode/pid" "$zelkor" \
        "$work/cut-$mode/cantilever.toml" > "$work/cut-$mode/out.txt" 2>&1 || status=$?
    [ "$status" -eq 130 ] || fail "the interrupted $mode run exited with $status, not 130"
    left=$(squeue -h -t PENDING,RUNNING -o %j | grep "^zelkor-$(cat "$work/cut-$mode/pid")-" || true)
    [ -z "$left" ] || fail "jobs left after the interrupted $mode run: $left"
done
echo "ok (slurm): $(wc -l < "$work/designs_slurm") analyses as Slurm jobs, same designs and result as locally"
