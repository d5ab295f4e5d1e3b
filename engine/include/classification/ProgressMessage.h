#pragma once

#include <string>

namespace classification {

/// The text of a labelled progress report: "<tag>: <line>:\n(before [<label>]): ". The
/// application shows only the fraction; the text identifies the stage in diagnostics, so its
/// form must stay as it is.
inline std::string progressMessage(const char* sourceTag, int line, const char* label) {
    std::string message(sourceTag);
    message += ": ";
    message += std::to_string(line);
    message += ":\n(before [";
    message += label;
    message += "]): ";
    return message;
}

}  // namespace classification
