#pragma once

#include "classification/IiClassification.h"

namespace classification {

/// The work of one task of the texture stage: filters colour channel (2, 1, 0)[t] of the source
/// into texture planes t and t + 3 for its task t (none for a task outside 0 to 2). Tasks run
/// on the stage's threads and report no progress; exceptions leave the functor, and the
/// thread team that runs it brings them back to the stage.
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
    int task_;
};

}  // namespace classification
