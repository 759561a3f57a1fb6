#!/usr/bin/env bash
# The host core-library stand-in on the bundled text dataset through the
# registered data services: the dataset's tree, its TIC apex and the TIC's
# chromatogram peaks, and the spectrum co-added over the first peak; then
# the elemental composition of the base peak of the strongest spectrum
# (the TIC's apex), scored against that spectrum, and the molecule match of
# caffeine (the first compound, m/z 195.0877 is its [M+H]+) and nicotine
# (absent).
set -euo pipefail
sample=dataservices/providers/text/samples/text_dataset.txt
molfiles=outside/tindrel/data/molfiles

if [ ! -x "$BIN/tindrel" ] || [ ! -e "$LIB/KSProviderServer.so" ] || [ ! -e "$LIB/KSTextProvider.so" ]; then
  echo "tindrel, the provider server or the text provider is not built yet; nothing to show"
  exit 0
fi

"$BIN/tindrel" tree "$sample"
tic=$("$BIN/tindrel" chromatogram "$sample" 1 1 | head -n 1)
echo "$tic"
"$BIN/tindrel" peaks "$sample" 1 1
"$BIN/tindrel" select "$sample" 1 1 0.30 0.40

apex=$(sed -n 's/.*apex at \([0-9.]*\) min.*/\1/p' <<<"$tic")
base=$("$BIN/tindrel" select "$sample" 1 1 "$apex" "$apex" | sed -n '3p' | cut -f1)
echo "Base peak of the strongest spectrum ($apex min): m/z $base"
"$BIN/tindrel" compose "$base" --spectrum "$sample" 1 1 "$apex"
"$BIN/tindrel" match "$sample" "$molfiles/caffeine.mol" "$molfiles/nicotine.mol"
