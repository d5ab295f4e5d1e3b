#include "masking/ArrowTargetFactory.h"

#include "masking/ArrowTarget.h"
#include "masking/GmModelKeys.h"

#include <QVariantMap>

#include <array>

namespace {
constexpr int typeCount = 4;

std::array<ArrowTargetFactory::Creator, typeCount>& creators() {
    static std::array<ArrowTargetFactory::Creator, typeCount> table;
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

void ArrowTargetFactory::setCreator(int type, Creator creator) {
    if (type < 0 || type >= typeCount)
        return;
    creators()[size_t(type)] = std::move(creator);
}
