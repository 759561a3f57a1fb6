#!/usr/bin/env bash
# The host window end to end, offscreen and in batch mode: the mass plug-in
# imports a dataset, the molecule peer reads the caffeine molfile, and the
# demo script shows the browser and the result docks, computes the
# elemental composition at the base peak of the spectrum and matches the
# molecule; then the document is saved, the state dumped and the window
# grabbed. Once on the bundled text dataset, once on the real ChemStation
# run when the real-data folder is there.
set -euo pipefail
text=dataservices/providers/text/samples/text_dataset.txt
caffeine=outside/tindrel/data/molfiles/caffeine.mol
demo=outside/lumatra/samples/demo.js
out=build/release

if [ ! -x "$BIN/lumatra" ] || [ ! -e "$LIB/Ionvale.so" ]; then
  echo "lumatra or the mass plug-in Ionvale.so is not built yet; nothing to show"
  exit 0
fi

rundir=$(mktemp -d)
chmod 700 "$rundir"
trap 'rm -rf "$rundir"' EXIT

run() {  # name dataset screenshot
  local name=$1 dataset=$2 shot=$3
  local doc="$out/lumatra-$name.lmd" state="$out/lumatra-$name.json"
  echo "-- $name: $dataset"
  # The offscreen platform's notes on window hints and the runtime folder
  # say nothing about the run; everything else lumatra writes is shown.
  { XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$rundir} QT_QPA_PLATFORM=offscreen \
      "$BIN/lumatra" --import "$dataset" --molecule "$caffeine" \
      --script "$demo" --save "$doc" --dump-state "$state" --screenshot "$shot" --quit \
      2>&1 1>&3 3>&- | { grep -v -e 'propagateSizeHints' -e 'XDG_RUNTIME_DIR' >&2 || true; }; } 3>&1
  echo "Saved document: $doc"
  echo "State: $state"
  echo "Screenshot: $shot"
}

run sample "$text" "$out/lumatra-sample.png"

orange="$REALDATA/chemstation-ms/rainbow-orange.D"
if [ -d "$orange" ]; then
  run orange "$orange" "$out/lumatra-orange.png"
else
  echo "-- orange: $orange is not there; skipped"
fi
