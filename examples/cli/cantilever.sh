#!/bin/sh
# The analysis of the bundled zelkor example: a cantilever of rectangular
# section, width b and height h (mm), length L = 1000 mm, steel (E = 200000
# MPa), a load P = 2000 N at its tip. Reads params.txt ("width = ...",
# "height = ..."), writes results.txt:
#   mass       = rho b h L                 (kg; steel, rho = 7.85e-6 kg/mm^3)
#   stress     = 6 P L / (b h^2)           (MPa; bending stress at the root)
#   deflection = 4 P L^3 / (E b h^3)       (mm; tip deflection, P L^3 / (3 E I))
#   aspect     = h / b                     (a deep, thin section buckles sideways)
#
# For testing the zelkor command, CANTILEVER_FAULT lists faults at evaluation
# indices (ZELKOR_EVALUATION), e.g. "fail@2,hang@5,garbage@7":
#   fail@k       exit 1 without results
#   hang@k       sleep for an hour (for the time limit)
#   garbage@k    write a results file that is not name = number
#   interrupt@k  at the first analysis from evaluation k on (k itself may be a
#                design the run answers without an analysis): send SIGINT to
#                the process whose id is in CANTILEVER_PID_FILE, once (a file
#                CANTILEVER_PID_FILE.done remembers it), then hang
# CANTILEVER_SLEEP=seconds sleeps before answering (a slower analysis);
# CANTILEVER_MARKER=file appends one line per analysis that completed.
set -eu

index=${ZELKOR_EVALUATION:--1}

fault_at() {
    case ",${CANTILEVER_FAULT:-}," in
    *",$1@$index,"*) return 0 ;;
    *) return 1 ;;
    esac
}

interrupt_from=$(echo ",${CANTILEVER_FAULT:-}," | sed -n 's/.*,interrupt@\([0-9]*\),.*/\1/p')
if [ -n "$interrupt_from" ] && [ "$index" -ge "$interrupt_from" ] &&
    [ ! -e "$CANTILEVER_PID_FILE.done" ]; then
    : > "$CANTILEVER_PID_FILE.done"
    kill -INT "$(cat "$CANTILEVER_PID_FILE")"
    exec sleep 3600
fi
if fault_at fail; then
    echo "cantilever: failing evaluation $index on request" >&2
    exit 1
fi
if fault_at hang; then
    exec sleep 3600
fi
if [ -n "${CANTILEVER_SLEEP:-}" ]; then
    sleep "$CANTILEVER_SLEEP"
fi
if fault_at garbage; then
    echo "mass = twelve" > results.txt
    exit 0
fi

awk -F '=' '
    { gsub(/[ \t]/, "", $1); gsub(/[ \t]/, "", $2); value[$1] = $2 + 0 }
    END {
        b = value["width"]; h = value["height"]
        if (b <= 0 || h <= 0) { print "cantilever: width and height must be positive" > "/dev/stderr"; exit 1 }
        L = 1000; P = 2000; E = 200000
        printf "mass = %.17g\n", 7.85e-6 * b * h * L
        printf "stress = %.17g\n", 6 * P * L / (b * h * h)
        printf "deflection = %.17g\n", 4 * P * L * L * L / (E * b * h * h * h)
        printf "aspect = %.17g\n", h / b
    }' params.txt > results.tmp
mv results.tmp results.txt
if [ -n "${CANTILEVER_MARKER:-}" ]; then
    echo "$index" >> "$CANTILEVER_MARKER"
fi
