#pragma once

#include <string>

namespace zqplatform {

/// The absolute path of the running program, read from /proc/self/exe at full length.
/// Empty when the link cannot be read.
std::string programPath();

/// The folder holding the running program, without a trailing slash; empty when unknown.
std::string programFolder();

}  // namespace zqplatform
