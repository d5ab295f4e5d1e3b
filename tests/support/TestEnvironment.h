#pragma once

#include <string>

namespace zqtest {

/// Points XDG_CONFIG_HOME, XDG_CONFIG_DIRS, TMPDIR and HOME at folders inside a fresh temporary
/// folder, so that settings (system scope included), logs and crash dumps of the code under
/// test stay out of the user's own and the machine's.
/// The folder is removed again by `removeScratchFolder`.
void enterScratchFolder();
void removeScratchFolder();

/// The scratch folder of this test process ("" before `enterScratchFolder`).
const std::string& scratchFolder();

}  // namespace zqtest
