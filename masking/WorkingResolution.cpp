#include "masking/WorkingResolution.h"

int workingResolutionDivisor() { return 1; }

bool isWorkingResolutionDivisor(int divisor) {
    return divisor == 1 || divisor == 2 || divisor == 4 || divisor == 8;
}
