#!/usr/bin/env bash
# The four long jobs at 100,000 and 1,000,000 items, each as a user runs it through velloro-cli,
# measured by /usr/bin/time -v: wall, CPU (user + system) and peak memory, and per item.
#   bench/jobs.sh [BUILD_DIR] [COUNTS...]     (default: build, 100000 1000000)
# On a shared machine the CPU figures are the ones to compare. The contact restore and the folder
# export run up to 100,000 items only: a million contacts need several GB in today's reader, and
# a million small files are a file-system test rather than Velloro's.
set -euo pipefail

build=${1:-build}
shift || true
counts=(100000 1000000)
[ $# -gt 0 ] && counts=("$@")
cli="$build/tools/velloro_cli/velloro-cli"
phone_tool="$build/tools/velloro_phone/velloro-phone"
inputs="$build/bench/velloro_bench_inputs"
for program in "$cli" "$phone_tool" "$inputs" /usr/bin/time; do
    [ -x "$program" ] || { echo "jobs.sh: $program is missing (build first)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/velloro-jobs-XXXXXX")
trap 'rm -rf "$work"' EXIT
phone="$work/phone.db"

fresh_phone() {
    "$phone_tool" --phone "$phone" init --empty --force
    "$phone_tool" --phone "$phone" store add SMS
}

# run LABEL COUNT COMMAND...: one line of figures for the command.
run() {
    local label=$1 count=$2
    shift 2
    /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null
    awk -v label="$label" -v n="$count" -F': ' '
        /Elapsed \(wall clock\)/ { split($2, t, ":"); wall = (length(t) == 3) ? t[1] * 3600 + t[2] * 60 + t[3] : t[1] * 60 + t[2] }
        /User time/ { user = $2 } /System time/ { sys = $2 } /Maximum resident/ { rss = $2 }
        END { printf "%-28s %9d %9.2f s %9.2f s %8.1f us %8.1f MB\n", label, n, wall, user + sys,
                     (user + sys) * 1e6 / n, rss / 1024 }' "$work/time.txt"
}

printf "%-28s %9s %11s %11s %11s %11s\n" job items wall cpu cpu/item peak
for n in "${counts[@]}"; do
    "$inputs" sms "$n" "$work/sms.dat"
    [ "$n" -le 100000 ] && "$inputs" contacts "$n" "$work/contacts.txt"
    fresh_phone
    run restore-sms "$n" "$cli" --phone "$phone" restore-sms "$work/sms.dat"
    run "backup-sms .dat" "$n" "$cli" --phone "$phone" backup-sms "$work/out.dat"
    rm -rf "$work/out" "$work/out.dat"
    if [ "$n" -le 100000 ]; then
        run "backup-sms to a folder" "$n" "$cli" --phone "$phone" backup-sms "$work/out"
        rm -rf "$work/out"
        fresh_phone
        run restore-contacts "$n" "$cli" --phone "$phone" restore-contacts --type phone \
            "$work/contacts.txt"
    fi
    "$inputs" folders "$n" "$work/folders.dat"
    fresh_phone
    run "restore-sms (sibling folders)" "$n" "$cli" --phone "$phone" restore-sms "$work/folders.dat"
    rm -f "$work/sms.dat" "$work/contacts.txt" "$work/folders.dat"
done
