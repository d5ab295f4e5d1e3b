#pragma once

namespace zqplatform {

/// The number of processors to run one worker thread each on: those the process may run on
/// (its affinity mask), else those the system reports; at least 1.
unsigned processorCount();

}  // namespace zqplatform
