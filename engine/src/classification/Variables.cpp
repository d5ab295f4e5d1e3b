#include "classification/Variables.h"

#include <algorithm>
#include <cmath>

namespace Ostrival {
namespace {

float clampUnit(float x) {
    return std::isnan(x) ? 0.0f : std::clamp(x, 0.0f, 1.0f);
}

const std::map<int, std::string> lowMediumHigh{{0, "low"}, {1, "medium"}, {2, "high"}};
const std::map<int, std::string> fineMediumCoarse{{0, "fine"}, {1, "medium"}, {2, "coarse"}};
const std::map<int, std::string> interpolations{
    {0, "range"}, {1, "range fast"}, {2, "median"}, {3, "median fast"}};
const std::map<int, std::string> blendModes{{0, "octaves"}, {1, "membrane"}, {2, "bp"}};
const std::map<int, std::string> samplings{{0, "global"}, {1, "both"}};

constexpr float imageTolDefault = 0.51f;   // normalised

}  // namespace

void Variables::Registration::refreshText() {
    text = variable->text();
    if (variable->isChanged())
        text += "*";
}

void Variables::Registration::commit() {
    committed = clampUnit(variable->normalised());
    variable->mark();
}

void Variables::Registration::revert() {
    const float old = committed;
    committed = clampUnit(variable->normalised());
    // An unchanged variable keeps its exact stored value; a round trip through the normalised
    // scale could move it by a rounding step.
    if (old != committed)
        variable->setNormalised(old);
}

Variables::Variables()
    : imageTol_(0.0f, std::log(4.0f)),
      inFocusEdgeWidth_(0.0f, std::log(32.0f)),
      edgeContrast_(0, 2, 1, lowMediumHigh),
      textureFilter_(0, 2, 1, fineMediumCoarse),
      interpolation_(0, 3, 0, interpolations),
      resolution_(0.0f, static_cast<float>(2.5 * std::log(2.0))),
      texture_(std::log(0.9f), std::log(8.0f)),
      colourBits_(0, 8, 4),
      maxBits_(0, 11, 7),
      featureTol_(0.0f, std::log(2.0f)),
      focus_(0.0f, 4.0f),
      overlap_(0, 3, 1),
      tPercent_(0.0f, 0.5f),
      bSmooth_(0, 100, 5),
      bCareful_(0, 50, 16),
      bGreedy_(0, 50, 8),
      vMidPoint_(0, 10, 5),
      vSimplify_(0.0f, 2.0f),
      vSmooth_(0.0f, 2.0f),
      blendMode_(0, 2, 2, blendModes),
      fgSampling_(0, 1, 1, samplings),
      bgSampling_(0, 1, 1, samplings) {
    add("imageTol", imageTol_);
    add("inFocusEdgeWidth", inFocusEdgeWidth_);
    add("edgeContrast", edgeContrast_);
    add("textureFilter", textureFilter_);
    add("interpolation", interpolation_);
    add("#resolution", resolution_);
    add("#texture", texture_);
    add("#colourBits", colourBits_);
    add("#maxBits", maxBits_);
    add("featureTol", featureTol_);
    add("focus", focus_);
    add("overlap", overlap_);
    add("t%", tPercent_);
    add("b-smooth", bSmooth_);
    add("b-careful", bCareful_);
    add("b-greedy", bGreedy_);
    add("v-mdPt", vMidPoint_);
    add("v-smplf", vSimplify_);
    add("v-smth", vSmooth_);
    add("BlendMode", blendMode_);
    add("fg sampling", fgSampling_);
    add("bg sampling", bgSampling_);

    published_.resize(registrations_.size());
    for (const auto& [name, index] : names_)
        published_[static_cast<size_t>(index)].name = name.c_str();
    setDefaultsForSize(1024);
    for (Registration& registration : registrations_)
        registration.commit();
    refreshValues();
    refreshTexts();
}

void Variables::add(const std::string& name, VariableBase& variable) {
    names_[name] = static_cast<int>(registrations_.size());
    registrations_.push_back(Registration{&variable, std::string(), 0.0f});
    variable.owner = this;
}

VariableBase* Variables::find(const std::string& name) const {
    const auto found = names_.find(name);
    return found == names_.end() ? nullptr : registrations_[static_cast<size_t>(found->second)].variable;
}

VariableBase& Variables::get(const std::string& name) const {
    VariableBase* variable = find(name);
    if (!variable)
        throw VariableNotFound(name);
    return *variable;
}

const JxVariable* Variables::entry(const std::string& name) const {
    const auto found = names_.find(name);
    return found == names_.end() ? nullptr : &published_[static_cast<size_t>(found->second)];
}

float& Variables::publishedValue(int index) {
    return published_[static_cast<size_t>(index)].normalised;
}

void Variables::setDefaultsForSize(int longerSide) {
    const auto found = names_.find("imageTol");
    if (found == names_.end())
        throw VariableNotFound("imageTol");
    publishedValue(found->second) = imageTolDefault;
    imageTol_.setNormalised(imageTolDefault);

    // One pixel of edge width per 2^8.5 pixels of image, within the variable's useful range.
    inFocusEdgeWidth_.stored =
        static_cast<float>(std::clamp(longerSide / std::pow(2.0, 8.5), 2.0, 32.0));
    edgeContrast_.stored = 1;
    textureFilter_.stored = 1;
    interpolation_.stored = 0;
    resolution_.stored = 1.0f;
    texture_.stored = 1.0f;
    colourBits_.stored = 4;
    maxBits_.stored = 7;
    featureTol_.stored = 1.05f;
    focus_.stored = 0.0f;
    overlap_.stored = 1;
    tPercent_.stored = 1.0f / 6.0f;
    bSmooth_.stored = 5;
    bCareful_.stored = 16;
    bGreedy_.stored = 8;
    vMidPoint_.stored = 5;
    vSimplify_.stored = 0.6f;
    vSmooth_.stored = 0.4f;
    blendMode_.stored = 2;
    fgSampling_.stored = 1;
    bgSampling_.stored = 1;
}

bool Variables::setByName(const std::string& name, float normalisedValue) {
    const auto found = names_.find(name);
    if (found == names_.end() || !std::isfinite(normalisedValue))
        return false;
    const float x = clampUnit(normalisedValue);
    publishedValue(found->second) = x;
    registrations_[static_cast<size_t>(found->second)].variable->setNormalised(x);
    refreshValues();
    refreshTexts();
    return true;
}

void Variables::setEdgeOptions(float tolerance, unsigned width, int contrast, int textureFilter) {
    const float x = clampUnit(1.0f - tolerance);
    publishedValue(names_.at("imageTol")) = x;
    imageTol_.setNormalised(x);
    inFocusEdgeWidth_.stored = static_cast<float>(std::clamp(width, 1u, 32u));
    edgeContrast_.stored = std::clamp(contrast, 0, 2);
    textureFilter_.stored = std::clamp(textureFilter, 0, 2);
    refreshValues();
    refreshTexts();
}

void Variables::refreshValues() {
    for (size_t i = 0; i < registrations_.size(); ++i)
        published_[i].normalised = clampUnit(registrations_[i].variable->normalised());
}

void Variables::refreshTexts() {
    for (size_t i = 0; i < registrations_.size(); ++i) {
        registrations_[i].refreshText();
        published_[i].text = registrations_[i].text.c_str();
    }
}

void Variables::commitAll() {
    for (Registration& registration : registrations_)
        registration.commit();
}

void Variables::revertAll() {
    for (Registration& registration : registrations_)
        registration.variable->mark();
    for (Registration& registration : registrations_)
        registration.revert();
}

int Variables::intValue(const std::string& name) const {
    const VariableBase& variable = get(name);
    if (const auto* asInt = dynamic_cast<const VariableBaseT<int>*>(&variable))
        return asInt->value();
    return static_cast<int>(dynamic_cast<const VariableBaseT<float>&>(variable).value());
}

float Variables::floatValue(const std::string& name) const {
    const VariableBase& variable = get(name);
    if (const auto* asFloat = dynamic_cast<const VariableBaseT<float>*>(&variable))
        return asFloat->value();
    return static_cast<float>(dynamic_cast<const VariableBaseT<int>&>(variable).value());
}

int Variables::smoothingRadius() const {
    if (texture_.stored < 1.0f)
        return 0;
    const int width = inFocusEdgeWidth_.value();
    const int filter = textureFilter_.value();
    const double r = std::ceil(static_cast<double>(static_cast<float>(width) * texture_.stored) *
                               std::pow(2.0, filter - 0.5)) - 1.0;
    return std::max(1, static_cast<int>(r));
}

}  // namespace Ostrival
