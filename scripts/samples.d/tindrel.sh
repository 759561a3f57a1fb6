#!/usr/bin/env bash
# The host core-library stand-in on the bundled text dataset through the
# registered data services: the dataset's tree, its TIC apex and the TIC's
# chromatogram peaks, and the spectrum co-added over the first peak.
set -euo pipefail
sample=dataservices/providers/text/samples/text_dataset.txt

if [ ! -x "$BIN/tindrel" ] || [ ! -e "$LIB/KSProviderServer.so" ] || [ ! -e "$LIB/KSTextProvider.so" ]; then
  echo "tindrel, the provider server or the text provider is not built yet; nothing to show"
  exit 0
fi

"$BIN/tindrel" tree "$sample"
"$BIN/tindrel" chromatogram "$sample" 1 1 | head -n 1
"$BIN/tindrel" peaks "$sample" 1 1
"$BIN/tindrel" select "$sample" 1 1 0.30 0.40
