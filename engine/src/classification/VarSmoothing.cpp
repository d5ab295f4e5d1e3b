#include "classification/VarSmoothing.h"

#include "classification/Variables.h"

namespace Ostrival {

int VarSmoothing::value() const {
    return owner->smoothingRadius();
}

std::string VarSmoothing::text() const {
    const int radius = value();
    return radius == 0 ? std::string("Off") : std::to_string(radius + 1);
}

}  // namespace Ostrival
