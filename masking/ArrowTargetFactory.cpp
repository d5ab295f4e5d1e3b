#include "masking/ArrowTargetFactory.h"

#include "masking/ArrowTarget.h"
#include "masking/BrushRegion.h"
#include "masking/ForcedEdge.h"
#include "masking/GmModelKeys.h"
#include "masking/PolyRegion.h"
#include "masking/RectRegion.h"

#include <QVariantMap>

#include <array>

namespace {
constexpr int typeCount = 4;

using Table = std::array<ArrowTargetFactory::Creator, typeCount>;

// Each type's own class, until `setCreator` replaces it.
Table builtInCreators() {
    Table table;
    table[GmKeys::RectRegionType] = [](const QVariant& e) { return new RectRegion(e); };
    table[GmKeys::PolyRegionType] = [](const QVariant& e) { return new PolyRegion(e); };
    table[GmKeys::BrushRegionType] = [](const QVariant& e) { return new BrushRegion(e); };
    table[GmKeys::ForcedEdgeType] = [](const QVariant& e) { return new ForcedEdge(e); };
    return table;
}

Table& creators() {
    static Table table = builtInCreators();
    return table;
}
}  // namespace

ArrowTarget* ArrowTargetFactory::create(const QVariant& entry) {
    bool isInt = false;
    const int type = entry.toMap().value(GmKeys::type).toInt(&isInt);
    if (!isInt || type < 0 || type >= typeCount || !creators()[size_t(type)])
        return nullptr;
    return creators()[size_t(type)](entry);
}

void ArrowTargetFactory::restoreBuiltInCreators() {
    creators() = builtInCreators();
}

void ArrowTargetFactory::setCreator(int type, Creator creator) {
    if (type < 0 || type >= typeCount)
        return;
    creators()[size_t(type)] = std::move(creator);
}
