#!/usr/bin/env bash
# ksdata: the providers registered by the main job, listed through the
# client library (the bundled dataset itself is shown by text.sh).
set -euo pipefail

if [ ! -x "$BIN/ksdata" ] || [ ! -e "$LIB/KSProviderServer.so" ]; then
  echo "ksdata or the provider server is not built yet; nothing to show"
  exit 0
fi
"$BIN/ksdata" providers
