#include "masking/WorkingResolution.h"

#include "masking/GmModel.h"

int workingResolutionDivisor() {
    const GmModel* model = GmModel::existing();
    return model ? model->resolution() : 1;
}

bool isWorkingResolutionDivisor(int divisor) {
    return divisor == 1 || divisor == 2 || divisor == 4 || divisor == 8;
}
