#!/usr/bin/env bash
# The text provider end to end on the bundled text dataset (registered
# components, dataset access choosing the text data server): the dataset's
# tree, then spectrum 6 of function 1 with its strongest peak.
set -euo pipefail
sample=dataservices/providers/text/samples/text_dataset.txt

if [ ! -x "$BIN/ksdata" ] || [ ! -e "$LIB/KSProviderServer.so" ] || [ ! -e "$LIB/KSTextProvider.so" ]; then
  echo "ksdata, the provider server or the text provider is not built yet; nothing to show"
  exit 0
fi

"$BIN/ksdata" tree "$sample"

points="$("$BIN/ksdata" spectrum "$sample" 1 6)"
echo "Spectrum 6 of function 1: $(printf '%s\n' "$points" | wc -l) points (m/z, intensity):"
printf '%s\n' "$points"
printf '%s\n' "$points" | sort -t "$(printf '\t')" -k2,2 -g | tail -n 1 |
  awk -F '\t' '{printf "Strongest peak: m/z %s, intensity %s\n", $1, $2}'
