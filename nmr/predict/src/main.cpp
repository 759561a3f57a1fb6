#include "routines.h"

int main(int argc, char** argv)
{
    return velmar::runProgram(argc, argv);
}
