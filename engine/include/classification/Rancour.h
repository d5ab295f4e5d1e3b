#pragma once

#include "classification/IiClassification.h"

namespace classification {

/// The worker of the texture stage: filters colour channel (2, 1, 0)[t] of the source into
/// texture planes t and t + 3 for every task t it is handed, starting with its first task and
/// asking the classification for the next until none is left. Workers report no progress.
/// Exceptions leave the functor; the worker group that runs it records them.
class Rancour {
public:
    Rancour(IiClassification& classification, AnalysisImage texture, ColourImage input,
            int radius, int firstTask)
        : classification_(&classification), texture_(texture), input_(input), radius_(radius),
          task_(firstTask) {}

    void operator()();

private:
    IiClassification* classification_;
    AnalysisImage texture_;
    ColourImage input_;
    int radius_;
    int task_;   // -1 = none
};

}  // namespace classification
