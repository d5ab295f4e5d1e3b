#include "masking/EDOs.h"

#include <QVariantMap>

namespace {

constexpr int sensitivityRange[] = {1, 100};
constexpr int widthRange[] = {1, 32};
constexpr int choiceRange[] = {0, 2};

}  // namespace

EDOs::EDOs()
    : sensitivity_(defaultSensitivity),
      width_(defaultWidth),
      texture_(defaultTexture),
      contrast_(defaultContrast),
      values_{&sensitivity_, &width_, &texture_, &contrast_} {}

EDOs::EDOs(const QVariant& map) : EDOs() {
    const QVariantMap values = map.toMap();
    sensitivity_ = GmValue<int>(values.value(QStringLiteral("sensitivity_")), defaultSensitivity,
                                sensitivityRange[0], sensitivityRange[1]);
    width_ = GmValue<int>(values.value(QStringLiteral("width_")), defaultWidth, widthRange[0],
                          widthRange[1]);
    texture_ = GmValue<int>(values.value(QStringLiteral("texture_")), defaultTexture,
                            choiceRange[0], choiceRange[1]);
    contrast_ = GmValue<int>(values.value(QStringLiteral("contrast_")), defaultContrast,
                             choiceRange[0], choiceRange[1]);
    widthInImageCoords_ = values.value(QStringLiteral("widthInImageCoords_")).toInt();
}

QVariant EDOs::toVariant() const {
    QVariantMap values;
    values.insert(QStringLiteral("sensitivity_"), sensitivity_.toVariant());
    values.insert(QStringLiteral("width_"), width_.toVariant());
    values.insert(QStringLiteral("texture_"), texture_.toVariant());
    values.insert(QStringLiteral("contrast_"), contrast_.toVariant());
    values.insert(QStringLiteral("widthInImageCoords_"), widthInImageCoords_);
    return values;
}

void EDOs::applyAll() {
    forEachValue(&GmValueB::apply);
}

void EDOs::saveAll() {
    forEachValue(&GmValueB::save);
}

void EDOs::restoreAll() {
    forEachValue(&GmValueB::restore);
}

void EDOs::revertAll() {
    forEachValue(&GmValueB::revert);
}

void EDOs::resetAll() {
    forEachValue(&GmValueB::reset);
}

bool EDOs::anyModified() const {
    return anyValue(&GmValueB::isModified);
}

bool EDOs::anyOffDefault() const {
    return anyValue(&GmValueB::isOffDefault);
}

void EDOs::forEachValue(void (GmValueB::*operation)()) {
    for (GmValueB* value : values_)
        (value->*operation)();
}

bool EDOs::anyValue(bool (GmValueB::*test)() const) const {
    for (const GmValueB* value : values_)
        if ((value->*test)())
            return true;
    return false;
}

void EDOs::copyValues(const EDOs& other) {
    sensitivity_ = other.sensitivity_;
    width_ = other.width_;
    texture_ = other.texture_;
    contrast_ = other.contrast_;
    widthInImageCoords_ = other.widthInImageCoords_;
}

void EDOs::setFromEngineRecord(const EdgeDetectionRecord& record) {
    sensitivity_.value = sensitivityFromTolerance(record.tolerance);
    width_.value = record.width;
    contrast_.value = record.contrast;
    texture_.value = record.texture;
}

void EDOs::setDefaultsFromEngineRecord(const EdgeDetectionRecord& record) {
    sensitivity_.defaultValue = sensitivityFromTolerance(record.tolerance);
    width_.defaultValue = record.width;
    contrast_.defaultValue = record.contrast;
    texture_.defaultValue = record.texture;
}

EdgeDetectionRecord EDOs::appliedRecord() const {
    EdgeDetectionRecord record;
    record.tolerance = toleranceFromSensitivity(sensitivity_.applied);
    record.width = width_.applied;
    record.contrast = std::uint8_t(contrast_.applied & 0xFF);
    record.texture = std::uint8_t(texture_.applied & 0xFF);
    return record;
}
