#!/usr/bin/env bash
# The README's run command: install what is missing, build, and send a demonstration page on the
# practice line (a simulated modem and paging terminal), showing the connection log and the page log.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh tolvane
data=build/demo-data
mkdir -p "$data"
status=0
./build/src/app/tolvane --data-dir "$data" --practice "Dana Whitlow:Hello from Tolvane" || status=$?
if [ -f "$data/LOG.DAT" ]; then
  echo "--- last line of $data/LOG.DAT"
  tail -n 1 "$data/LOG.DAT" | iconv -f WINDOWS-1252 -t UTF-8
fi
exit "$status"
