// The library's transforms as plain C functions, for numpy_fft.py to call
// through ctypes beside numpy and scipy in one Python process.
#include "numeric.h"

extern "C" __attribute__((visibility("default"))) int ybFft(uint32_t n, double* z, uint32_t inverse)
{
    return int(yarbex::fft(n, z, inverse));
}

extern "C" __attribute__((visibility("default"))) int ybHilbertImaginary(uint32_t n, double* z)
{
    return int(yarbex::hilbertImaginary(n, z));
}
