#!/usr/bin/env bash
# Fails on an #include "folder/..." that runs against the layer map of README.md (under "Layout"):
# a folder includes itself and the folders of lower layers only, sim/ only the few headers it
# shares with the tool, and the tests, benchmarks and fuzz targets anything.
set -euo pipefail
cd "$(dirname "$0")/.."

# serial < protocol < link, firmware < trace < service < app, cli
declare -A layer=([serial]=0 [protocol]=1 [link]=2 [firmware]=2 [trace]=3 [service]=4 [app]=5 [cli]=5)
# The simulator describes the wire on its own; it shares the serial layer, the checksum and the
# trace's file writer.
sim_shares='^(serial/.*|protocol/crc16c\.h|trace/TraceFile\.h)$'
anything='^(tests|bench|fuzz)$'

refused=0
refuse() {
    echo "$1: $2/ may not include $3 (README, Layout)" >&2
    refused=1
}

include='^[[:space:]]*#[[:space:]]*include[[:space:]]+"(([A-Za-z_]+)/[^"]*)"'
while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    text=${rest#*:}
    [[ $text =~ $include ]] || continue
    header=${BASH_REMATCH[1]}
    to=${BASH_REMATCH[2]}
    from=${file%%/*}
    [ "$file" != "$from" ] || from=.
    # A folder that is not the tree's is an outside library's.
    [ -d "$to" ] || continue
    if [ "$from" = "$to" ] || [[ $from =~ $anything ]]; then
        continue
    elif [ "$from" = sim ]; then
        [[ $header =~ $sim_shares ]] || refuse "${file}:${rest%%:*}" sim "$header"
    elif [ -z "${layer[$from]:-}" ] || [ -z "${layer[$to]:-}" ] || [ "${layer[$to]}" -ge "${layer[$from]}" ]; then
        refuse "${file}:${rest%%:*}" "$from" "$header"
    fi
done < <(git grep --untracked -nE "$include" -- '*.cpp' '*.h')

if [ "$refused" -ne 0 ]; then
    echo "check-layers.sh: includes against the layer map (above)" >&2
    exit 1
fi
