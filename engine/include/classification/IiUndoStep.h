#pragma once

namespace classification {

class IiClassification;

/// One reversible change recorded in an undo history. Destroying a step never applies it.
class IiUndoStep {
public:
    virtual ~IiUndoStep() = default;
    virtual void undo(IiClassification& classification) = 0;
    virtual void redo(IiClassification& classification) = 0;
};

}  // namespace classification
