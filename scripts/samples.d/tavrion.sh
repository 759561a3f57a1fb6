#!/usr/bin/env bash
# The raw-file engine stand-in and the virtual writers: makes the standard
# Tavrion sample raw file in a temporary folder and dumps what it holds;
# then writes an MS and a UV raw file with the example program virtualraw,
# through the writers of Ombrel2 (registered by the main job), and dumps
# both.
set -euo pipefail

if [ ! -x "$BIN/tavrion-rawfile" ]; then
  echo "tavrion-rawfile is not built yet; nothing to show"
  exit 0
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$BIN/tavrion-rawfile" make-sample "$work/sample.raw"
"$BIN/tavrion-rawfile" dump "$work/sample.raw"

if [ ! -x "$BIN/virtualraw" ] || [ ! -e "$LIB/Ombrel2.so" ]; then
  echo "virtualraw or Ombrel2 is not built yet; no virtual files to show"
  exit 0
fi
"$BIN/virtualraw" "$work/virtual-ms.raw" "$work/virtual-uv.raw"
"$BIN/tavrion-rawfile" dump "$work/virtual-ms.raw"
"$BIN/tavrion-rawfile" dump "$work/virtual-uv.raw"

# The Tavrion provider end to end (registered components, dataset access
# choosing the Tavrion data server): the tree of the standard sample (one
# function per filter key, the detectors' traces) and of both virtual
# files, and one spectrum of each file that has scans.
if [ ! -x "$BIN/ksdata" ] || [ ! -e "$LIB/KSProviderServer.so" ] || [ ! -e "$LIB/KSTavrionProvider.so" ]; then
  echo "ksdata, the provider server or the Tavrion provider is not built yet; no datasets to show"
  exit 0
fi
spectrum() {
  points="$("$BIN/ksdata" spectrum "$1" "$2" "$3")"
  echo "Spectrum $3 of function $2: $(printf '%s\n' "$points" | wc -l) points"
  printf '%s\n' "$points" | sort -t "$(printf '\t')" -k2,2 -g | tail -n 1 |
    awk -F '\t' '{printf "Strongest peak: m/z %s, intensity %s\n", $1, $2}'
}
"$BIN/ksdata" tree "$work/sample.raw"
spectrum "$work/sample.raw" 4 2
"$BIN/ksdata" tree "$work/virtual-ms.raw"
spectrum "$work/virtual-ms.raw" 2 1
"$BIN/ksdata" tree "$work/virtual-uv.raw"
