#!/usr/bin/env bash
# The MassLynx provider end to end (registered components, dataset access
# probing it last, the stand-in of the MassLynx classes reading the raw
# directory's manifest): a raw directory written by the project's script
# (functions of opposite polarity, two analog channels, a diode-array
# function), shown as its tree and one spectrum.
set -euo pipefail
script=dataservices/providers/masslynx/samples/make_sample.py

if [ ! -x "$BIN/ksdata" ] || [ ! -e "$LIB/KSProviderServer.so" ] || [ ! -e "$LIB/KSMLProvider_4_1.so" ] ||
   [ ! -e "$LIB/MassLynxRaw.so" ]; then
  echo "ksdata, the provider server, the MassLynx provider or the MassLynx classes stand-in is not built yet; nothing to show"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sample="$work/caffeine-es.raw"
python3 "$script" "$sample"
"$BIN/ksdata" tree "$sample"
points="$("$BIN/ksdata" spectrum "$sample" 2 6)"
echo "Spectrum 6 of function 2: $(printf '%s\n' "$points" | wc -l) points"
printf '%s\n' "$points"
