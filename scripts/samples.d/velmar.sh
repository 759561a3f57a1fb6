#!/usr/bin/env bash
# VELMAR on the bundled fixture molecules (CDCl3, couplings on); prints the
# predicted proton shifts of toluene and a summary of the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
fixtures="$root/nmr/predict/tests/fixtures"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

names="methane ethane propane cyclohexane benzene toluene pyridine furan thiophene pyrrole
methanol ethanol acetone acetonitrile acetic_acid dichloromethane chloroform dmso water naphthalene"
{
  echo "40100BUNDLED FIXTURES"
  first=1
  for n in $names; do
    [ "$first" = 1 ] || echo "   0"
    first=0
    cat "$fixtures/$n.mol"
  done
  echo "1111"
} > "$work/molecules.dat"

"$BIN/VELMAR" "$BIN/velmar.par" "$work/molecules.dat" "$work/listing.lis" "$work/shifts.dat" \
  "$work/couplings.dat" "$work/piexcess.dat" "$work/solvent.dat"

# toluene's hydrogens follow the hydrogens of the five molecules before it
before=0
for n in methane ethane propane cyclohexane benzene; do
  before=$((before + $(grep -c ' H   0' "$fixtures/$n.mol")))
done
echo "Predicted proton shifts of toluene (ppm, CDCl3):"
tr -d '\r' < "$work/shifts.dat" | sed -n "$((before + 1)),$((before + 8))p" | \
  awk 'NR<=3 {printf "  methyl H%d  %s\n", NR, $1; next} {printf "  ring H%d    %s\n", NR-3, $1}'
echo "Molecules computed: $(grep -c 'GEOMETRY (Z-MATRIX)' "$work/listing.lis")," \
     "hydrogens: $(wc -l < "$work/shifts.dat"), couplings written: $(wc -l < "$work/couplings.dat")"
