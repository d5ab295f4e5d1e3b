#include "composition/scene/DustbinSignaller.h"

namespace {
// Has no parent, children or timers, so it may outlive the application object.
DustbinSignaller dustbinSignaller;
}  // namespace

DustbinSignaller* const theDustbinSignaller = &dustbinSignaller;
