// Vector routines and the dihedral angle of four (or five) atoms.
#pragma once

#include <cstdint>

namespace velmar {

void relvec(float v[3], int i, int j);
void mag(float& r, const float v[3]);
void univec(float u[3], const float v[3]);
void vecprd(float c[3], const float a[3], const float b[3]);
void sclprd(const float a[3], const float b[3], float& s);
// theta in radians, 0..pi; mode 1 the five-atom form
void dihedl(float& theta, int a1, int a2, int a3, int a4, int a5, int mode);
// The four-atom dihedral angle a1-a2-a3-a4 in radians, 0..pi.
inline float dihed(int a1, int a2, int a3, int a4)
{
    float t;
    dihedl(t, a1, a2, a3, a4, 0, 0);
    return t;
}

// Covalent radius by element for distance bonds; 0 outside the table.
float covalentRadius(int element, bool siliconOfZMatrix);

}  // namespace velmar
