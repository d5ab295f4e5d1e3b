#pragma once

#include "classification/JxInterface.h"
#include "classification/MeaningMap.h"
#include "classification/VarColourBits.h"
#include "classification/VarRfSpacing.h"
#include "classification/VarSmoothing.h"
#include "classification/Variable.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace Ostrival {

/// The named tuning variables of one session: their ranges, size-dependent defaults and derived
/// values, the flat table the application reads, and what changed since the last commit.
class Variables {
public:
    struct VariableNotFound : std::runtime_error {
        explicit VariableNotFound(const std::string& name)
            : std::runtime_error("variable not found: " + name) {}
    };

    struct Registration {
        VariableBase* variable = nullptr;
        std::string text;
        float committed = 0.0f;   // the normalised value at the last commit

        /// The variable's text, with "*" while its value differs from the marked one.
        void refreshText();
        void commit();
        /// Goes back to the committed value and makes the current value the committed one.
        void revert();
    };

    Variables();
    Variables(const Variables&) = delete;
    Variables& operator=(const Variables&) = delete;

    void add(const std::string& name, VariableBase& variable);
    /// Null when no variable has that name.
    VariableBase* find(const std::string& name) const;
    /// Throws VariableNotFound when no variable has that name.
    VariableBase& get(const std::string& name) const;

    /// The defaults for an image whose longer side has `longerSide` pixels.
    void setDefaultsForSize(int longerSide);

    /// Sets a variable from the application's normalised value, clamped to [0, 1], and refreshes
    /// the published table. False, changing nothing, for an unknown name or a non-finite value.
    bool setByName(const std::string& name, float normalisedValue);

    /// The application's edge-detection options: "imageTol" = 1 - tolerance (tolerance clamped
    /// to [0, 1]), the edge width clamped to [1, 32], the contrast and texture-filter steps clamped
    /// to [0, 2]. The caller has checked that the tolerance is finite.
    void setEdgeOptions(float tolerance, unsigned width, int contrast, int textureFilter);

    void refreshValues();
    void refreshTexts();
    void commitAll();
    void revertAll();

    /// Effective values by name; both throw VariableNotFound for an unknown name.
    int intValue(const std::string& name) const;
    float floatValue(const std::string& name) const;
    bool isChanged(const std::string& name) const { return get(name).isChanged(); }

    /// The texture filter's smoothing radius derived from "#texture": 0 when it is off.
    int smoothingRadius() const;

    JxVariable* table() { return published_.data(); }
    int count() const { return static_cast<int>(published_.size()); }
    /// The published entry of a name, or null.
    const JxVariable* entry(const std::string& name) const;

private:
    float& publishedValue(int index);

    // The published table first: its names point into names_, its texts into registrations_.
    std::vector<JxVariable> published_;
    std::vector<Registration> registrations_;
    std::map<std::string, int> names_;

    VarLogScale<float, float> imageTol_;
    VarLogScale<int, float> inFocusEdgeWidth_;
    MeaningMap<VarScaled<int, int>, std::string> edgeContrast_;
    MeaningMap<VarScaled<int, int>, std::string> textureFilter_;
    MeaningMap<VarScaled<int, int>, std::string> interpolation_;
    VarRfSpacing resolution_;
    VarSmoothing texture_;
    VarColourBits colourBits_;
    VarMaxColourBits maxBits_;
    VarLogScale<float, float> featureTol_;
    VarScaled<float, float> focus_;
    VarScaled<int, int> overlap_;
    VarScaled<float, float> tPercent_;
    VarScaled<int, int> bSmooth_;
    VarScaled<int, int> bCareful_;
    VarScaled<int, int> bGreedy_;
    VarScaled<int, int> vMidPoint_;
    VarScaled<float, float> vSimplify_;
    VarScaled<float, float> vSmooth_;
    MeaningMap<VarScaled<int, int>, std::string> blendMode_;
    MeaningMap<VarScaled<int, int>, std::string> fgSampling_;
    MeaningMap<VarScaled<int, int>, std::string> bgSampling_;
};

}  // namespace Ostrival
