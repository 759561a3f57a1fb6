#!/usr/bin/env bash
# The Compass provider end to end (registered components, dataset access
# choosing the Compass data server, the stand-in of the outside analysis
# component reading the folder's manifest): an analysis folder written by
# the project's script (MS and MS/MS spectra, one negative, the first three
# without a retention time of their own), then the same analysis in a
# folder whose "SPTYPE" says "psd", which this provider opens, not the
# XMASS one. Each shown as its tree.
set -euo pipefail
script=dataservices/providers/brukercompass/samples/make_compass_sample.py

if [ ! -x "$BIN/ksdata" ] || [ ! -e "$LIB/KSProviderServer.so" ] || [ ! -e "$LIB/KSBrukerCompassProvider.so" ] ||
   [ ! -e "$LIB/CompassAnalysis.so" ]; then
  echo "ksdata, the provider server, the Compass provider or the Compass component stand-in is not built yet; nothing to show"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
analysis="$work/caffeine-compass.d"
psd="$work/caffeine-psd"
python3 "$script" "$analysis"
python3 "$script" "$psd" --sptype psd
echo "Analysis folder:"
"$BIN/ksdata" tree "$analysis"
echo "The same analysis beside an SPTYPE saying \"psd\":"
"$BIN/ksdata" tree "$psd"
