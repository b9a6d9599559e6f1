#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy: the bugprone and performance checks, every warning an error) on
# the core and the command-line program: every .cpp of platform/, model/, engine/, setup/,
# equipment/, session/, lines/ outside their qt/ folders, and of app/qemcli/. Their headers are checked
# through the sources that include them. Needs the compile commands of a configured build
# (build/ by default; CMAKE_EXPORT_COMPILE_COMMANDS is on).
#
#   bash scripts/tidy.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
[ -f "$build/compile_commands.json" ] || { echo "tidy: no $build/compile_commands.json (configure first)" >&2; exit 1; }
# The compile commands name files by absolute path (a Python pattern): this tree's core outside
# the qt/ folders, and the command-line program.
root_re=$(sed 's/[][\.*^$+?(){}|]/\\&/g' <<<"$root")
files="^$root_re/(?!.*/qt/)((platform|model|engine|setup|equipment|session|lines)/.+|app/qemcli/[^/]+)\.cpp\$"
log="$build/tidy.log"
status=0
start=$SECONDS
# run-clang-tidy colours its output whatever it goes to: the log is kept plain.
nice run-clang-tidy-14 -p "$build" -quiet -j"$(nproc)" "$files" 2>&1 | sed 's/\x1b\[[0-9;]*m//g' >"$log" ||
    status=$?
# run-clang-tidy's exit code covers a file that failed; a warning not made an error still fails.
findings=$(grep -cE '^[^ ].*:[0-9]+:[0-9]+: (warning|error):' "$log" || true)
checked=$(grep -c '^clang-tidy-14 ' "$log" || true)
echo "tidy: $checked files in $((SECONDS - start)) s, $findings findings"
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    grep -E -A3 ':[0-9]+:[0-9]+: (warning|error):' "$log" >&2 || tail -n 20 "$log" >&2
    echo "tidy: see $log" >&2
    exit 1
fi
