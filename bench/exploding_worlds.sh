#!/usr/bin/env bash
# Peak memory and time of the batch tool on two tiny worlds that explode: a Script that builds a chain
# DEPTH Transforms deep, and LEVELS of Groups that each USE the one before twice.
# Usage: bench/exploding_worlds.sh [BATCH_TOOL] [DEPTH] [LEVELS]   (needs /usr/bin/time)
set -euo pipefail
tool=${1:-build/tools/x3d-vendrel-batch/x3d-vendrel-batch}
depth=${2:-10000}
levels=${3:-14}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

cat > "$dir/chain.x3dv" <<WORLD
#X3D V3.3 utf8
PROFILE Immersive
DEF Top Transform { }
DEF Builder Script {
  initializeOnly SFNode top USE Top
  directOutput TRUE
  url "ecmascript:
function initialize ()
{
  var node = top;
  for (var i = 0; i < $depth; ++ i)
  {
    var next = Browser .currentScene .createNode ('Transform');
    node .children = new MFNode (next);
    node = next;
  }
}
"
}
WORLD

{
  echo '#X3D V3.3 utf8'
  echo 'DEF A0 Group { children Shape { } }'
  for ((k = 1; k <= levels; ++k)); do
    echo "DEF A$k Group { children [ USE A$((k - 1)) USE A$((k - 1)) ] }"
  done
} > "$dir/use.x3dv"

for world in chain use; do
  /usr/bin/time -f "$world: %e s, %M KB peak" "$tool" tree --verbose --timeout 600 "$dir/$world.x3dv" \
    2> >(grep -v XDG_RUNTIME_DIR >&2) | wc -l | sed "s/^/$world: items /"
done
