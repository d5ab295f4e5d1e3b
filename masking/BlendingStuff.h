#pragma once

#include "masking/BlendingOptions.h"

#include <QVariant>

class GmRegion;

/// The blending record of the whole image (no owner) or of one region, stored under "bos_".
class BlendingStuff {
public:
    explicit BlendingStuff(GmRegion* owner = nullptr) : owner(owner) {}
    /// Reads the options from "bos_" of `map`; without that key, from an empty map.
    BlendingStuff(const QVariant& map, GmRegion* owner);
    virtual ~BlendingStuff() = default;

    QVariant toVariant() const;

    GmRegion* owner;
    BlendingOptions options;
};
