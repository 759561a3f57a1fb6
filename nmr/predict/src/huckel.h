// The Hueckel calculation: matrix, pi systems, eigen-solver.
#pragma once

#include "common.h"

namespace velmar {

using BigMat = Mat<float, kMaxAtoms, kMaxAtoms>;

void matrix();
void huckel();
void divide(BigMat& amat, Vec<int32_t, kMaxAtoms>& label, int& newnat, int nsect, int& end);

// Eigenvalues (ascending) and eigenvectors (columns) of the symmetric n x n
// matrix a, of which only the lower triangle is read. Returns false when an
// eigenvalue has not converged within maxSweeps iterations.
bool matdia(const BigMat& a, Vec<float, kMaxAtoms>& d, BigMat& z, int n, int maxSweeps = 60);

}  // namespace velmar
