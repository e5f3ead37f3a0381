#!/bin/bash
# Text mode against `mutool draw -F stext`, for several builds on the same
# PDFs: the whole process from its start to the packed book
# (`worker_bench text --peak FILE` under /usr/bin/time), runs of every build
# and of mutool alternated ROUNDS times; the medians of wall time, processor
# time and peak memory, with the ratio to mutool's. Then each build's
# `worker_bench text FILE` (one process, best of 3, mutool beside it).
#
#   text_table.sh [-r ROUNDS] LABEL=BINDIR... -- FILE.pdf...
#
# BINDIR holds the build's worker_bench. A build older than --peak needs
# this folder's worker_bench.cpp and benchsupport.* built against it.
# Files are given with their full paths. Run it on a quiet machine.
set -u
rounds=5
if [ "${1:-}" = "-r" ]; then
    rounds=$2
    shift 2
fi
builds=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    builds+=("$1")
    shift
done
shift
if [ ${#builds[@]} -eq 0 ] || [ $# -eq 0 ]; then
    echo "usage: text_table.sh [-r ROUNDS] LABEL=BINDIR... -- FILE.pdf..." >&2
    exit 2
fi

times=$(mktemp)
trap 'rm -f "$times"' EXIT

# One run under /usr/bin/time: "wall processor peak-KiB", or "failed".
measure() {
    if /usr/bin/time -o "$times" -f "%e %U %S %M" "$@" > /dev/null 2>&1; then
        awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$times"
    else
        echo failed
    fi
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "| document | build | wall s (x mutool) | processor s (x mutool) | peak MB |"
echo "|---|---|---|---|---|"
for pdf in "$@"; do
    declare -A runs=()
    for ((round = 0; round < rounds; ++round)); do
        for build in "${builds[@]}"; do
            runs[$build]+="$(measure "${build#*=}/worker_bench" text --peak "$pdf")"$'\n'
        done
        runs[mutool]+="$(measure mutool draw -F stext -o /dev/null "$pdf")"$'\n'
    done
    column() { printf '%s' "${runs[$1]}" | grep -v failed | awk -v c="$2" '{ print $c }' | median; }
    mutoolWall=$(column mutool 1)
    mutoolCpu=$(column mutool 2)
    for build in "${builds[@]}" mutool; do
        if printf '%s' "${runs[$build]}" | grep -q failed; then
            echo "| $(basename "$pdf") | ${build%%=*} | failed | | |"
            continue
        fi
        wall=$(column "$build" 1)
        cpu=$(column "$build" 2)
        peak=$(column "$build" 3)
        awk -v d="$(basename "$pdf")" -v b="${build%%=*}" -v w="$wall" -v c="$cpu" -v p="$peak" \
            -v mw="$mutoolWall" -v mc="$mutoolCpu" \
            'BEGIN { printf "| %s | %s | %.2f (%.2f) | %.2f (%.2f) | %.1f |\n", d, b, w, w / mw, c, c / mc, p / 1024 }'
    done
    unset runs
done

echo
for pdf in "$@"; do
    for build in "${builds[@]}"; do
        echo "== ${build%%=*}: worker_bench text $(basename "$pdf")"
        "${build#*=}/worker_bench" text "$pdf"
    done
done
