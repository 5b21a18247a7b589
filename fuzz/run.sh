#!/usr/bin/env bash
# Runs every fuzz target in the folder for SECONDS each, starting from its seeds in
# fuzz/corpus/<name>/ (new inputs go to a scratch copy, so the tree stays as it is).
# A crash prints the reproducer's path and ends with a failure.
#   fuzz/run.sh build-sanitize/fuzz SECONDS
set -euo pipefail
folder=$1
seconds=$2
seeds="$(cd "$(dirname "$0")" && pwd)/corpus"
work=$(mktemp -d -t vindle-fuzz.XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
for target in "$folder"/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    mkdir -p "$work/$name"
    [ -d "$seeds/${name#fuzz_}" ] && cp -r "$seeds/${name#fuzz_}/." "$work/$name/"
    echo "== $name: $seconds s"
    if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$work/" "$work/$name" 2>"$work/$name.log"; then
        tail -n 60 "$work/$name.log"
        for artifact in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
            [ -e "$artifact" ] || continue
            echo "Reproducer ($name): base64 of $(basename "$artifact"):"
            base64 -w 0 "$artifact"; echo
        done
        failed=1
    else
        grep -E "stat::number_of_executed_units|stat::new_units_added" "$work/$name.log" | tr '\n' ' '; echo
    fi
done
exit $failed
