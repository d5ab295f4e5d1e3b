#pragma once

/// The divisor (1, 2, 4 or 8) of the masking model's working resolution: the engine works on a
/// copy of the source image reduced by it. Every reader of the divisor outside the model goes
/// through here, so the model is its one source. 1 while no model serves it.
int workingResolutionDivisor();

/// Whether `divisor` is one the engine's down-scaler can make (1, 2, 4 or 8).
bool isWorkingResolutionDivisor(int divisor);
