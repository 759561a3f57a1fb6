// Operations on arrays of doubles: element-wise operations chosen by an
// ArrayOpCode, their complex extensions (split arrays), linear algebra for
// the smoothing filter, the edge-replicating FIR and the distance measures.
#pragma once

#include "resultcode.h"

#include <cstdint>

namespace yarbex {

enum ArrayOpCode : uint32_t {
    OpCopy = 0,
    OpFill = 64,
    OpNegate = 65,
    OpAbsolute = 66,
    OpSquare = 67,
    OpMagnitude = 68,
    OpPolar = 69,
    OpNormalise = 70,
    OpPower = 71,
    OpPowerPhase = 72,
    OpAdd = 73,
    OpScale = 74,
    OpComplexScale = 75,
    OpFloor = 76,
    OpCeiling = 77,
    OpThreshold = 78,
    OpNoise = 80,
    OpExchangeParts = 112,
    OpReverse = 113,
    OpSwapHalves = 114,
    OpSort = 115,
    OpShiftZero = 116,
    OpShiftEdge = 117,
    OpRotate = 118,
    OpZeroUpperHalf = 119,
    OpLagDifference = 128,
    OpTransform = 129,
    OpHilbert = 133,
    OpHilbert2 = 134,
    OpZeroLowRows = 135,
    OpExchange = 0x10002,
    OpAccumulate = 0x1000B,
    OpMultiply = 0x1000C,
    OpComplexMultiply = 0x1000D,
    OpRealToBoth = 0x1000F,
    OpImaginaryToBoth = 0x10010
};

// Element operations. The source is never written: code 0x10002 leaves
// the source as it is and delivers it into the destination.
ResultCode elementOp(uint32_t n, const double* s, double* d, uint32_t op, double a);
ResultCode elementOpInPlace(uint32_t n, double* d, uint32_t op, double a);
ResultCode complexOp1D(uint32_t n, const double* s, double* d, uint32_t op, double a, double b);
ResultCode complexOp2D(uint32_t rows, uint32_t columns, const double* s, double* d, uint32_t op, double a,
                       double b);
// Allocate a fresh zeroed destination of 2n (2 rows columns) doubles
// into *out (freeing what was there) and run the operation; on failure
// *out is freed and null.
ResultCode newComplexOp1D(uint32_t n, const double* s, double** out, uint32_t op, double a, double b);
ResultCode newComplexOp2D(uint32_t rows, uint32_t columns, const double* s, double** out, uint32_t op, double a,
                          double b);

// Element routines (10 when the source is missing, 11 for the destination).
ResultCode copyArray(uint32_t n, const double* s, double* d);
ResultCode fillArray(uint32_t n, double* d, double a);
ResultCode negateArray(uint32_t n, const double* s, double* d);
ResultCode absoluteArray(uint32_t n, const double* s, double* d);
ResultCode squareArray(uint32_t n, const double* s, double* d);
ResultCode addToArray(uint32_t n, const double* s, double* d, double a);
ResultCode scaleArray(uint32_t n, const double* s, double* d, double a);
ResultCode addNoise(uint32_t n, const double* s, double* d, double sigma);
ResultCode accumulateArray(uint32_t n, const double* s, double* d, double a);
ResultCode multiplyArray(uint32_t n, const double* s, double* d);
// mode 0 floor, 1 ceiling.
ResultCode clipArray(uint32_t n, const double* s, double* d, double a, uint32_t mode);
ResultCode thresholdArray(uint32_t n, const double* s, double* d, double a);
ResultCode exchangeArrays(uint32_t n, double* s, double* d);
ResultCode reverseArray(uint32_t n, const double* s, double* d);
ResultCode swapHalvesArray(uint32_t n, const double* s, double* d);
ResultCode rotateArray(uint32_t n, const double* s, double* d, int32_t k);
// fillMode 0 zero, 1 edge.
ResultCode shiftArray(uint32_t n, const double* s, double* d, int32_t k, uint32_t fillMode);
ResultCode zeroUpperHalf(uint32_t n, const double* s, double* d);
ResultCode lagDifference(uint32_t n, const double* s, double* d, int32_t k);

ResultCode dotProduct(uint32_t n, const double* x, const double* y, double* out);
ResultCode arrayDifference(uint32_t n, const double* x, const double* y, double* out);
ResultCode arrayProduct(uint32_t n, const double* x, const double* y, double* out);

// Edge-replicating centred FIR of m coefficients; x and y may be the same.
ResultCode firFilter(uint32_t n, const double* x, double* y, uint32_t m, const double* c);

// Full-pivoting Gauss-Jordan: A (n x n, column-major) becomes its inverse,
// B (m right-hand sides of n values) the solutions. 1 when singular.
ResultCode gaussJordan(double* A, uint32_t n, double* B, uint32_t m);
// out[j] = sum over k < rows of A[j + k columns] x[k], j < columns.
// out is allocated when null (free with std::free); null on failure.
double* matrixTimesVector(const double* A, uint32_t rows, uint32_t columns, const double* x, double* out);
// out[i rows + j] = row i . row j, rows of `length` values.
double* gramMatrix(const double* A, uint32_t length, uint32_t rows, double* out);

ResultCode maximumPower(uint32_t n, const double* z, double* power, uint32_t* point);
// 1 when a sum is zero (no distribution to compare).
ResultCode cumulativeDistance(uint32_t n, const double* x, const double* y, double* d);
ResultCode windowedCumulativeDistance(uint32_t n, const double* x, const double* y, double* d, double low,
                                      double high, double width);

}  // namespace yarbex
