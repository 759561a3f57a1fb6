#!/usr/bin/env bash
# ksdata: the registered providers, then the bundled text dataset once the
# text provider is built (its tree and the first points of one spectrum).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"

if [ ! -x "$BIN/ksdata" ] || [ ! -e "$LIB/KSProviderServer.so" ]; then
  echo "ksdata or the provider server is not built yet; nothing to show"
  exit 0
fi
"$BIN/ksdata" providers

sample="$root/dataservices/providers/text/samples/text_dataset.txt"
if [ -f "$sample" ] && [ -e "$LIB/KSTextProvider.so" ]; then
  "$BIN/ksdata" tree "$sample"
  points="$("$BIN/ksdata" spectrum "$sample" 1 1)"
  echo "Spectrum 1 of function 1 ($(printf '%s\n' "$points" | wc -l) points), first five (m/z, intensity):"
  printf '%s\n' "$points" | sed -n 1,5p
fi
