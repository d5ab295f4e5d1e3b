#pragma once

#include <string>

namespace Corvel {
namespace utility {

/// How long operations report how far they are. `fraction` runs from 0 to 1 over the whole
/// operation; the message names the stage and is for diagnostics only. An implementation may
/// throw from `progress` to stop the operation (the engine throws its cancel exception).
class IiUI {
public:
    virtual void progress(float fraction, const std::string& message) = 0;
    virtual ~IiUI() = default;
};

}  // namespace utility
}  // namespace Corvel
