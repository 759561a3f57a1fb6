// Prints the first values of the library's uniform generator, so that a
// test can compare two fresh processes.
#include "numeric.h"

#include <cstdio>

int main()
{
    for (int i = 0; i < 8; ++i)
        std::printf("%.17g\n", yarbex::uniformRandom());
    return 0;
}
