// The routines of the program. Apart from the vector routines and a few
// helpers they take no arguments and work on the shared records.
#pragma once

#include <cstdint>
#include <string>

namespace velmar {

// parameter file and listing
void param();
void prparm();
// copies the lower half of both parameter matrices into the upper half
void symmetrizeParameters();

// molecule readers
void getmat();
void getmnd();
void getcsr();
void getinp();
void getsdf();
void identy();

// geometry, neighbour lists and validation
void coord();
void betgam();
void testin();
bool chtest(int32_t t);

// atom typing, rings and ring current
void hybrid();
void sp2n(int i);
void arings();
void rincur();

// charges, dipole, shifts, couplings
void prepareCharges();
// false with a reason when a parameter the charges divide by is 0
bool chargeDivisorsValid(std::string& why);
float gammaRule(int i, int a, int b, int g, float s);
void edens();
void dipole();
void calcsh();
void dmso();
void calcj();

// reports
void outmat();
void outmnd();
void outcsr();

// per molecule: clear the molecule and read it with the reader of the
// input code
void resetMolecule();
void readMolecule();

// Exit statuses of a run: every molecule computed, some molecule rejected
// (the others were computed), or a fatal input or output error.
constexpr int kExitComputed = 0;
constexpr int kExitRejected = 1;
constexpr int kExitFatal = 2;

// the whole run; returns the exit status
int runProgram(int argc, char** argv);

}  // namespace velmar
