#!/usr/bin/env bash
# The raw-file engine stand-in: makes the standard Tavrion sample raw file
# in a temporary folder and dumps what it holds.
set -euo pipefail

if [ ! -x "$BIN/tavrion-rawfile" ]; then
  echo "tavrion-rawfile is not built yet; nothing to show"
  exit 0
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$BIN/tavrion-rawfile" make-sample "$work/sample.raw"
"$BIN/tavrion-rawfile" dump "$work/sample.raw"
