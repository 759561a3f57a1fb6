#!/bin/sh
# Compiler launcher of the include check: checks a source on its own
# (-fsyntax-only, no code made) and leaves an empty object file behind, so
# the build tool re-checks it only when the source or a header changes.
set -e
out=
prev=
for a in "$@"; do
  [ "$prev" = "-o" ] && out=$a
  prev=$a
done
"$@" -fsyntax-only
[ -n "$out" ] && : > "$out"
