#include "classification/JxInSession.h"

#include "classification/JxEngine.h"
#include "classification/JxInImage.h"
#include "classification/VectorEdges.h"

#include <algorithm>
#include <iostream>

using classification::ByteImage;
using classification::IntBox;

namespace {

// A session's public record starts out all zero: null pointers, zero counts and rectangles.
const JxSession blankRecord{};

}  // namespace

JxInSession::JxInSession(JxEngine& engine, const JxImage& image, JxProgressCallback progress)
    : JxSession(blankRecord),
      engine_(&engine),
      parent_(nullptr),
      image_(JxInImage::colourView(image)),
      reporter_(progress, 0, "Begin Session", true),
      range_(&reporter_),
      classification_(std::make_unique<classification::IiClassification>(nullptr, true, image_)),
      variables_(std::make_unique<Ostrival::Variables>()),
      subSession_(false),
      analysable_(true) {
    setUpVariablesForAnalysis(std::max(image.width, image.height));
    width = image.width;
    height = image.height;
    publishChangedBox();
    reporter_.restart();
    engine_->addSession(this);
}

JxInSession::JxInSession(JxInSession& parent, const JxSelection& selection, bool forAnalysis,
                         JxProgressCallback progress)
    : JxSession(blankRecord),
      engine_(parent.engine_),
      parent_(&parent),
      image_(classification::cropArrayToBox(
          parent.image_, IntBox::fromRect(selection.x, selection.y, selection.width, selection.height))),
      reporter_(progress, 0, "Begin sub-session", true),
      range_(&reporter_),
      classification_(std::make_unique<classification::IiClassification>(
          parent.classification_.get(), forAnalysis, image_)),
      variables_(std::make_unique<Ostrival::Variables>()),
      patch_(std::make_unique<SelectionPatch>(selection)),
      subSession_(true),
      analysable_(forAnalysis) {
    if (forAnalysis) {
        setUpVariablesForAnalysis(std::max(selection.width, selection.height));
    } else {
        changedX = selection.x;
        changedY = selection.y;
        changedWidth = selection.width;
        changedHeight = selection.height;
    }
    if (!analysable_ && parent.analysed != 0)
        classification_->copyFromParent();
    if (const auto* mask = patch_->mask()) {
        std::vector<classification::IntPolyline> outline;
        classification::traceSelectionOutline(*mask, outline, range_);
        polylines_.publish(*this, outline);
    }
    // Completion is always delivered, so this is where a waiting user can still cancel.
    range_.report(1.0f);

    reporter_.restart();
    x = selection.x;
    y = selection.y;
    width = selection.width;
    height = selection.height;
    // Listed and registered last: a cancelled construction leaves no trace in either.
    parent.subSessions_.push_back(this);
    try {
        engine_->addSession(this);
    } catch (...) {
        parent.subSessions_.pop_back();
        throw;
    }
}

JxInSession::~JxInSession() {
    if (parent_) {
        auto& siblings = parent_->subSessions_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    detachSubSessions();
    patch_.reset();
    // Undo steps view the local status images; they go first.
    classification_->undoHistory.clear();
    localImages_.clear();
    engine_->removeSession(this);
    variables_.reset();
    classification_.reset();
    reporter_.deactivate();
}

void JxInSession::detachSubSessions() {
    // They outlive this session: nothing of theirs may point here any more.
    for (JxInSession* child : subSessions_) {
        child->parent_ = nullptr;
        child->classification_->parent = nullptr;
    }
    subSessions_.clear();
}

void JxInSession::setUpVariablesForAnalysis(int longerSide) {
    variables = variables_->table();
    variableCount = variables_->count();
    variables_->setDefaultsForSize(longerSide);
    publishEdgeOptions();
    variables_->commitAll();
    variables_->refreshTexts();
    applyVariables();
}

bool JxInSession::coversStatusImage(const JxImage& statusImage) const {
    if (statusImage.format != JxFormatStatus || !JxInImage::isValidBuffer(statusImage, 1))
        return false;
    return x >= 0 && y >= 0 && static_cast<long long>(x) + width <= statusImage.width &&
           static_cast<long long>(y) + height <= statusImage.height;
}

ByteImage JxInSession::statusView(JxInImage& statusImage) {
    if (!subSession_)
        return JxInImage::byteView(statusImage);

    const IntBox own = box();
    auto found = localImages_.find(&statusImage);
    if (found == localImages_.end()) {
        std::unique_ptr<JxInImage> local;
        if (const auto* mask = patch_->mask()) {
            local = std::make_unique<JxInImage>();
            local->copyMasked(statusImage, own, *mask);
        } else {
            local = std::make_unique<JxInImage>(
                classification::cropToBox(JxInImage::byteView(statusImage), own));
        }
        found = localImages_.emplace(&statusImage, std::move(local)).first;
    }
    ByteImage view = JxInImage::byteView(*found->second);
    // Deliberate diagnostics, not leftover debugging: every re-based view a sub-session hands
    // out is announced on standard error with its local range and the new base.
    std::cerr << "status array's dimensions: " << IntBox::domainOf(view) << "\n";
    std::cerr << "Reindexing from ";
    classification::printPoint(std::cerr, IntBox::domainOf(view).lower) << " to ";
    classification::printPoint(std::cerr, own.lower) << "\n";
    view.reindexSelf(own.lower);
    return view;
}

void JxInSession::publishChangedBox() {
    const std::optional<IntBox> changed = classification_->takeChangedBox();
    if (!changed || classification::isBoxEmpty(*changed)) {
        changedX = changedY = changedWidth = changedHeight = 0;
        return;
    }
    changedX = changed->lower[1];
    changedY = changed->lower[0];
    changedWidth = changed->columns();
    changedHeight = changed->rows();
}

void JxInSession::publishEdgeOptions() {
    variables_->refreshValues();
    variables_->refreshTexts();
    edgeTolerance = 1.0f - variables_->entry("imageTol")->normalised;
    edgeWidth = static_cast<std::uint32_t>(variables_->intValue("inFocusEdgeWidth"));
    const auto contrast = static_cast<std::uint32_t>(variables_->intValue("edgeContrast"));
    const auto texture = static_cast<std::uint32_t>(variables_->intValue("textureFilter"));
    edgeFlags = (edgeFlags & 0xFFFF0000u) | (contrast & 0xFFu) | ((texture & 0xFFu) << 8);
}

void JxInSession::applyVariables() {
    const Ostrival::Variables& v = *variables_;
    classification::SegmentInfo& settings = classification_->currentSettings;
    settings.colourBits = v.intValue("#colourBits");
    settings.featureTol = v.floatValue("featureTol");
    settings.imageTol = v.floatValue("imageTol");
    settings.focus = v.floatValue("focus");
    settings.reserved3 = 0.0f;
    settings.interpolation = v.intValue("interpolation");
    settings.resolution = v.intValue("#resolution");
    settings.overlap = v.intValue("overlap");
    settings.settingsStamp = 4;
    settings.inFocusEdgeWidth = v.intValue("inFocusEdgeWidth");
    settings.blendMode = v.intValue("BlendMode");
    settings.fgSampling = v.intValue("fg sampling");
    settings.bgSampling = v.intValue("bg sampling");
    classification_->maxColourBits = v.intValue("#maxBits");
    classification_->tPercent = v.floatValue("t%");
    classification_->smoothingRadius = v.intValue("#texture");
}

void JxInSession::setEdgeDetectionOptions(float tolerance, std::uint32_t edgeWidthValue,
                                          std::int32_t flags) {
    const auto word = static_cast<std::uint32_t>(flags);
    variables_->setEdgeOptions(tolerance, edgeWidthValue, static_cast<int>(word & 0xFFu),
                               static_cast<int>((word >> 8) & 0xFFu));
    // The fields mirror what the engine now uses: the caller's values, within their ranges.
    edgeTolerance = std::clamp(tolerance, 0.0f, 1.0f);
    edgeWidth = static_cast<std::uint32_t>(variables_->intValue("inFocusEdgeWidth"));
    const auto contrast = static_cast<std::uint32_t>(variables_->intValue("edgeContrast"));
    const auto texture = static_cast<std::uint32_t>(variables_->intValue("textureFilter"));
    edgeFlags = (word & 0xFFFF0000u) | contrast | (texture << 8);
}
