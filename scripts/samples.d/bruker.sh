#!/usr/bin/env bash
# The XMASS provider end to end (registered components, dataset access
# choosing the XMASS data server): a small dataset written by the
# provider's sample script, then the real time-of-flight experiment where
# the real-data folder is present. For each: the dataset's tree and the
# first points of a spectrum.
set -euo pipefail
script=dataservices/providers/bruker/samples/make_sample.py

if [ ! -x "$BIN/ksdata" ] || [ ! -e "$LIB/KSProviderServer.so" ] || [ ! -e "$LIB/KSBrukerProvider.so" ]; then
  echo "ksdata, the provider server or the XMASS provider is not built yet; nothing to show"
  exit 0
fi

summary() {  # points, then first and last m/z to three decimals
  printf '%s\n' "$1" | awk -F '\t' 'NR == 1 {first = $1} {last = $1} END {printf "%d points, m/z %.3f to %.3f\n", NR, first, last}'
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dataset=$(python3 "$script" "$work")
echo "Sample dataset (experiments 1 and 2 with processings, 3 without, 4.ser a series):"
"$BIN/ksdata" tree "$dataset"
points="$("$BIN/ksdata" spectrum "$dataset" 1 1)"
echo "Spectrum 1 of function 1: $(summary "$points"); first points (m/z, intensity):"
printf '%s\n' "$points" | awk 'NR <= 5'
points="$("$BIN/ksdata" spectrum "$dataset" 3 7)"
echo "Spectrum 7 of function 3 (the series): $(summary "$points")"

real="${REALDATA:-}/xmass/openms-XMassFile_test"
if [ -n "${REALDATA:-}" ] && [ -d "$real" ]; then
  echo "Real time-of-flight experiment:"
  "$BIN/ksdata" tree "$real"
  points="$("$BIN/ksdata" spectrum "$real" 1 1)"
  echo "Spectrum 1: $(summary "$points"); first points (m/z, intensity):"
  printf '%s\n' "$points" | awk 'NR <= 5'
else
  echo "The real-data folder is not present; the real experiment is skipped"
fi
