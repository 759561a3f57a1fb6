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
