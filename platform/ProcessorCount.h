#pragma once

namespace zqplatform {

/// The number of processors to run one worker thread each on; at least 1, also when the
/// system does not say.
unsigned processorCount();

}  // namespace zqplatform
