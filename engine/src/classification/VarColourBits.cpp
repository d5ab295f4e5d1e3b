#include "classification/VarColourBits.h"

#include "classification/Variables.h"

namespace Ostrival {

int VarColourBits::value() const {
    const int v = stored - owner->intValue("edgeContrast") + 1;
    if (v >= 8)
        return 8;
    return v < 1 ? 0 : v;
}

}  // namespace Ostrival
