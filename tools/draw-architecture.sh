#!/bin/sh
# Draws the pictures of docs/architecture.md from their text sources: the layers' include
# graph (made from the code by tools/layers.py) and one monitoring cycle.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup"
"$root/tools/layers.py" --dot "$root/docs/layers.dot"
dot -Tpng -Gdpi=96 "$root/docs/layers.dot" -o "$root/docs/layers.png"
dot -Tpng -Gdpi=96 "$root/docs/monitoring-cycle.dot" -o "$root/docs/monitoring-cycle.png"
