#!/usr/bin/env bash
# Draws the README's pictures of the windows again into docs/, under a virtual display (Xvfb). Look at
# each one afterwards: the programs save what the windows show, they do not judge it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh xvfb xauth
bash scripts/build.sh tolvane-main-window-shot tolvane-events-shot tolvane-config-window-shot tolvane-directory-shot
shots=build/docs/shots
run() { xvfb-run -a -s "-screen 0 1280x800x24" "$@"; }
for view in small:main-window large:main-window-large-icons customize:customize-toolbar search:search-users \
            connection:connection-window sent:practice-page-sent first:first-start; do
  run "$shots/tolvane-main-window-shot" "docs/${view#*:}.png" "${view%%:*}"
done
run "$shots/tolvane-events-shot" docs
run "$shots/tolvane-config-window-shot" docs
run "$shots/tolvane-directory-shot" docs
echo "Pictures written to docs/"
