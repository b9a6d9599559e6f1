# Sourced by the export checks with $bin (the built programs) set: a temporary folder $tmp
# (removed on exit) with a data folder $data holding the shipped catalogs, templates and sample
# network, and the networks of qemtestnet (three.qem, escape.qem).
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
py=/usr/bin/python3
data="$tmp/data"
mkdir "$data"
cp "$bin/data/"*.cat "$bin/data/"*.xlsx "$bin/data/Пример сети.qem" "$data/"
"$bin/qemtestnet" "$data" "$tmp"
