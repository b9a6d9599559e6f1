# Sourced by the command-line checks with $bin (the built programs) set: qemcli as $cli, the
# sample network as $net, fail() for a failed check, and a temporary folder $tmp removed on exit.
cli="$bin/qemcli"
net="$bin/data/Пример сети.qem"
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
