#!/usr/bin/env bash
# The ChemStation provider end to end (registered components, dataset
# access choosing the ChemStation data server): a small data directory
# written by the project's script (two MSD files, the second negative, and
# a UV trace), then the real carotenoid and orange folders and the GC SIM
# file by its file path, where present: the tree of each and one spectrum.
set -euo pipefail
script=dataservices/providers/agilent/samples/make_sample.py

if [ ! -x "$BIN/ksdata" ] || [ ! -e "$LIB/KSProviderServer.so" ] || [ ! -e "$LIB/KSAgilentProvider.so" ]; then
  echo "ksdata, the provider server or the ChemStation provider is not built yet; nothing to show"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sample="$work/caffeine.D"
python3 "$script" "$sample"

# PATH FUNCTION SCAN: the dataset's tree, then one spectrum's size and
# strongest peak.
show() {
  "$BIN/ksdata" tree "$1"
  points="$("$BIN/ksdata" spectrum "$1" "$2" "$3")"
  echo "Spectrum $3 of function $2: $(printf '%s\n' "$points" | wc -l) points"
  printf '%s\n' "$points" | sort -t "$(printf '\t')" -k2,2 -g | tail -n 1 |
    awk -F '\t' '{printf "Strongest peak: m/z %s, intensity %s\n", $1, $2}'
}

show "$sample" 2 16
for relative in chemstation-ms/entab-carotenoid_extract.d chemstation-ms/rainbow-orange.D \
                chemstation-ms/rainbow-yellow.D/dataSim.ms; do
  path="${REALDATA:-}/$relative"
  if [ -z "${REALDATA:-}" ] || [ ! -e "$path" ]; then
    echo "$relative: not present; skipped"
    continue
  fi
  show "$path" 1 1
done
