#!/bin/sh
# Runs of the built zelkor command on the bundled cantilever study, one
# scenario per CTest test:
#   same_designs  --jobs 1 and --jobs 4 evaluate the same designs, same result
#   failures      an analysis that exits 1, one that hangs past its time limit
#                 and one that writes garbage are logged as failures; the
#                 study still finishes
#   resume        a clock-seeded run interrupted at evaluation k, resumed,
#                 ends as an uninterrupted run with the logged seed, and no
#                 analysis ran twice
#   replay        on discrete levels, where one batch asks for a design more
#                 than once and a failed design is asked for again, resuming
#                 the finished run runs no analysis and logs nothing new
#   malformed     a malformed study file gives one file:line:column line and
#                 exit status 1; check accepts the example
# usage: study_runs.sh SCENARIO ZELKOR EXAMPLE_FOLDER WORK_FOLDER
set -eu

scenario=$1
zelkor=$2
example=$3
work=$4

fail() {
    echo "FAIL ($scenario): $*" >&2
    exit 1
}

# A fresh copy of the example in folder $1, its study file adjusted by the
# sed script $2.
fresh_study() {
    rm -rf "$1"
    mkdir -p "$1"
    cp "$example/cantilever.sh" "$1/"
    sed -e "${2:-}" "$example/cantilever.toml" > "$1/cantilever.toml"
}

# The log's rows in the order of their index, without the timing and host
# columns: the designs and responses alone.
designs_of() {
    grep -v '^#' "$1/evaluations.csv" | sed 1d | sort -t, -k1,1n | cut -d, -f1-7
}

# The summary without its folder-specific lines.
result_of() {
    grep -E '^(zelkor:|design:|responses:)' "$1"
}

same_designs() {
    for jobs in 1 4; do
        fresh_study "$work/jobs$jobs"
        "$zelkor" run "$work/jobs$jobs/cantilever.toml" --jobs "$jobs" > "$work/jobs$jobs/out.txt" ||
            fail "the run with --jobs $jobs exited with $?"
    done
    [ "$(designs_of "$work/jobs1" | wc -l)" -gt 100 ] || fail "too few evaluations logged"
    designs_of "$work/jobs1" > "$work/designs1"
    designs_of "$work/jobs4" > "$work/designs4"
    cmp -s "$work/designs1" "$work/designs4" || fail "the logs' designs differ between --jobs 1 and 4"
    result_of "$work/jobs1/out.txt" > "$work/result1"
    result_of "$work/jobs4/out.txt" > "$work/result4"
    cmp -s "$work/result1" "$work/result4" || fail "the results differ between --jobs 1 and 4"
    grep -q "^responses:  mass = 7\.1" "$work/result1" || fail "not the expected optimum: $(cat "$work/result1")"
}

failures() {
    fresh_study "$work/faults" 's/^maxfev = 300/maxfev = 60/; s/^time_limit = .*/time_limit = 0.5/'
    status=0
    CANTILEVER_FAULT="fail@2,hang@5,garbage@7" \
        "$zelkor" run "$work/faults/cantilever.toml" --jobs 4 > "$work/faults/out.txt" || status=$?
    [ "$status" -eq 0 ] || [ "$status" -eq 2 ] || fail "the study did not finish (exit status $status)"
    grep -q '^2,.*,exit,.*exit status 1: cantilever: failing evaluation 2' "$work/faults/evaluations.csv" ||
        fail "evaluation 2 is not logged as exit status 1"
    grep -q '^5,.*,timeout,.*time limit of 0.5 s' "$work/faults/evaluations.csv" ||
        fail "evaluation 5 is not logged as a time-out"
    grep -q '^7,.*,bad-results,' "$work/faults/evaluations.csv" ||
        fail "evaluation 7 is not logged as bad results"
    [ "$(grep -c ',ok,' "$work/faults/evaluations.csv")" -gt 40 ] || fail "too few good evaluations"
}

resume() {
    # Seeded from the clock: the resumed run must take the seed from the log.
    fresh_study "$work/cut" '/^seed = /d'
    marker="$work/cut/marker"
    status=0
    CANTILEVER_FAULT="interrupt@40" CANTILEVER_PID_FILE="$work/cut/pid" CANTILEVER_MARKER="$marker" \
        sh -c 'echo $$ > "$1"; exec "$2" run "$3" --jobs 1' sh "$work/cut/pid" "$zelkor" \
        "$work/cut/cantilever.toml" > /dev/null 2>&1 || status=$?
    [ "$status" -eq 130 ] || fail "the interrupted run exited with $status, not 130"
    interrupted_at=$(ls "$work/cut/runs" | sort -n | tail -n 1)
    [ "$(designs_of "$work/cut" | tail -n 1 | cut -d, -f1)" -lt "$interrupted_at" ] ||
        fail "evaluations logged after the interrupt at $interrupted_at"
    [ "$(wc -l < "$marker")" -eq "$(designs_of "$work/cut" | wc -l)" ] ||
        fail "$(wc -l < "$marker") analyses completed but $(designs_of "$work/cut" | wc -l) logged"
    seed=$(sed -n 's/^# seed = //p' "$work/cut/evaluations.csv")
    [ -n "$seed" ] || fail "the log keeps no seed"
    # A drawn seed may end on an infeasible design (exit status 2): both runs
    # must end alike, whichever it is.
    status=0
    CANTILEVER_MARKER="$marker" "$zelkor" run "$work/cut/cantilever.toml" --jobs 3 --resume \
        > "$work/cut/out.txt" || status=$?
    [ "$status" -eq 0 ] || [ "$status" -eq 2 ] || fail "the resumed run exited with $status"

    fresh_study "$work/whole" "s/^seed = .*/seed = $seed/"
    whole=0
    "$zelkor" run "$work/whole/cantilever.toml" --jobs 3 > "$work/whole/out.txt" || whole=$?
    [ "$whole" -eq "$status" ] || fail "the uninterrupted run exited with $whole, the resumed one with $status"

    designs_of "$work/whole" > "$work/designs_whole"
    designs_of "$work/cut" > "$work/designs_cut"
    cmp -s "$work/designs_whole" "$work/designs_cut" || fail "the resumed log's designs differ"
    result_of "$work/whole/out.txt" > "$work/result_whole"
    result_of "$work/cut/out.txt" > "$work/result_cut"
    cmp -s "$work/result_whole" "$work/result_cut" || fail "the resumed run's result differs"
    [ -z "$(sort "$marker" | uniq -d)" ] || fail "analyses ran twice: $(sort "$marker" | uniq -d | tr '\n' ' ')"
    [ "$(wc -l < "$marker")" -eq "$(wc -l < "$work/designs_whole")" ] ||
        fail "$(wc -l < "$marker") analyses ran, the uninterrupted run needed $(wc -l < "$work/designs_whole")"
}

replay() {
    fresh_study "$work/levels" 's/^lower = 5.0$/levels = [8.0, 9.0, 10.0, 12.0]/; /^upper = 60.0$/d;
        s/^lower = 20.0$/levels = [90.0, 95.0, 100.0]/; /^upper = 200.0$/d; s/^maxfev = 300/maxfev = 80/'
    status=0
    CANTILEVER_FAULT="fail@1" "$zelkor" run "$work/levels/cantilever.toml" --jobs 2 \
        > "$work/levels/out.txt" 2>&1 || status=$?
    [ "$status" -eq 0 ] || [ "$status" -eq 2 ] || fail "the study did not finish (exit status $status)"
    designs_of "$work/levels" > "$work/levels/before"
    "$zelkor" run "$work/levels/cantilever.toml" --jobs 2 --resume > "$work/levels/again.txt" 2>&1 ||
        [ $? -eq 2 ] || fail "the resumed run failed: $(tail -n 2 "$work/levels/again.txt")"
    designs_of "$work/levels" > "$work/levels/after"
    cmp -s "$work/levels/before" "$work/levels/after" ||
        fail "resuming the finished run changed its log: $(diff "$work/levels/before" "$work/levels/after" | head -n 3)"
    grep -q "^evaluations: 0 run now" "$work/levels/again.txt" || fail "resuming ran analyses again"
}

malformed() {
    fresh_study "$work/bad" 's/^upper = 200.0/upper = "tall"/'
    status=0
    "$zelkor" run "$work/bad/cantilever.toml" > /dev/null 2> "$work/bad/err.txt" || status=$?
    [ "$status" -eq 1 ] || fail "exit status $status for a malformed file, not 1"
    [ "$(wc -l < "$work/bad/err.txt")" -eq 1 ] || fail "not one line: $(cat "$work/bad/err.txt")"
    grep -q "^$work/bad/cantilever.toml:[0-9]*:[0-9]*: variable\[1\]\.upper: " "$work/bad/err.txt" ||
        fail "not the file:line:column: key line: $(cat "$work/bad/err.txt")"
    [ ! -e "$work/bad/runs" ] || fail "analyses ran for a malformed file"
    "$zelkor" check "$example/cantilever.toml" > "$work/bad/check.txt" || fail "check refused the example"
    grep -q "^Method: ga" "$work/bad/check.txt" || fail "check did not describe the method"
}

mkdir -p "$work"
"$scenario"
echo "ok ($scenario)"
