#pragma once

#include <QVariant>
#include <QVariantList>

/// An option value with four parts: the value shown and edited, the value last applied, the
/// default, and a saved copy of the applied value (so a failed apply can fall back).
class GmValueB {
public:
    virtual ~GmValueB() = default;
    virtual bool isModified() const = 0;
    virtual bool isOffDefault() const = 0;
    virtual void apply() = 0;
    virtual void save() = 0;
    virtual void restore() = 0;
    virtual void revert() = 0;
    virtual void reset() = 0;
    /// Takes the applied part of `other`, which must be a value of the same kind; any other
    /// value is ignored.
    virtual void copyApplied(const GmValueB& other) = 0;
};

template <typename T>
class GmValue;

template <>
class GmValue<int> : public GmValueB {
public:
    explicit GmValue(int d = 0) : value(d), applied(d), defaultValue(d), saved(d) {}

    /// Reads the list of `toVariant` (value, applied, default, saved). A missing entry, or one
    /// that is not a number, takes `fallback`; every part is clamped to [lowest, highest],
    /// because a stored list may come from a damaged or foreign file.
    GmValue(const QVariant& list, int fallback, int lowest, int highest)
        : GmValue(fallback) {
        const QVariantList parts = list.toList();
        int* fields[] = {&value, &applied, &defaultValue, &saved};
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            const int read = i < parts.size() ? parts.at(i).toInt(&ok) : fallback;
            *fields[i] = qBound(lowest, ok ? read : fallback, highest);
        }
    }

    QVariant toVariant() const {
        return QVariantList{QVariant(value), QVariant(applied), QVariant(defaultValue),
                            QVariant(saved)};
    }

    bool isModified() const override { return value != applied; }
    bool isOffDefault() const override { return value != defaultValue; }
    void apply() override { applied = value; }
    void save() override { saved = applied; }
    void restore() override { applied = saved; }
    void revert() override { value = applied; }
    void reset() override { value = defaultValue; }
    void copyApplied(const GmValueB& other) override {
        if (const auto* same = dynamic_cast<const GmValue<int>*>(&other))
            applied = same->applied;
    }

    int value;
    int applied;
    int defaultValue;
    int saved;
};
