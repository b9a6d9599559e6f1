# Sourced by the export checks with $bin (the built programs) set: a temporary folder $tmp
# (removed on exit) with a data folder $data holding the shipped catalogs, templates and sample
# network, and the networks of qemtestnet (three.qem, escape.qem).
cli="$bin/qemcli"
py=/usr/bin/python3
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
data="$tmp/data"
mkdir "$data"
cp "$bin/data/"*.cat "$bin/data/"*.xlsx "$bin/data/Пример сети.qem" "$data/"
"$bin/qemtestnet" "$data" "$tmp"
