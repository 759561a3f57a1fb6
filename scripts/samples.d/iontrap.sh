#!/usr/bin/env bash
# The ion-trap provider end to end (registered components, dataset access
# choosing the ion-trap data server, the stand-in of the outside analysis
# component reading the folder's manifest): an ion-trap folder written by
# the project's script (positive and negative MS and MS/MS scans, a zoom
# scan and a UV trace), shown as its tree.
set -euo pipefail
script=dataservices/providers/agilent/samples/make_iontrap_sample.py

if [ ! -x "$BIN/ksdata" ] || [ ! -e "$LIB/KSProviderServer.so" ] || [ ! -e "$LIB/KSAgilentProvider.so" ] ||
   [ ! -e "$LIB/IonTrapAnalysis.so" ]; then
  echo "ksdata, the provider server, the Agilent provider or the ion-trap component stand-in is not built yet; nothing to show"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sample="$work/caffeine-iontrap.d"
python3 "$script" "$sample"
"$BIN/ksdata" tree "$sample"
