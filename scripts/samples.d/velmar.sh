#!/usr/bin/env bash
# VELMAR on the bundled fixture molecules (CDCl3, couplings on): a summary
# of the run, then every predicted proton shift beside the published value
# it is compared with (nmr/predict/tools/fit_shifts.txt) and the RMS error.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
fixtures="$root/nmr/predict/tests/fixtures"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

{
  echo "40100BUNDLED FIXTURES"
  first=1
  for m in "$fixtures"/*.mol; do
    [ "$first" = 1 ] || echo "   0"
    first=0
    cat "$m"
  done
  echo "1111"
} > "$work/molecules.dat"

# exit status 1 would mean a rejected molecule: the fixtures have none
"$BIN/VELMAR" "$BIN/velmar.par" "$work/molecules.dat" "$work/listing.lis" "$work/shifts.dat" \
  "$work/couplings.dat" "$work/piexcess.dat" "$work/solvent.dat" > /dev/null
echo "Molecules computed: $(grep -c 'GEOMETRY (Z-MATRIX)' "$work/listing.lis")," \
     "hydrogens: $(wc -l < "$work/shifts.dat"), couplings written: $(wc -l < "$work/couplings.dat")"
echo "Predicted and published proton shifts (ppm, CDCl3; mean over the hydrogens of each atom):"
python3 "$root/nmr/predict/tools/compare_shifts.py" --all "$BIN/VELMAR" "$BIN/velmar.par"
