#pragma once

#include "classification/VariableBase.h"

#include <cmath>

namespace Ostrival {

/// A variable storing a U and using it as a T. Its normalised value is the stored value itself.
template <typename T, typename U>
class Variable : public VariableBaseT<T> {
public:
    explicit Variable(U initial = U()) : stored(initial) {}

    float normalised() const override { return static_cast<float>(stored); }
    void setNormalised(float x) override { stored = static_cast<U>(x); }
    T value() const override { return static_cast<T>(stored); }

    U stored;
};

/// A variable on a linear scale from `minimum` to `maximum`.
template <typename T, typename U>
class VarScaled : public Variable<T, U> {
public:
    VarScaled(U lowest, U highest, U initial = U())
        : Variable<T, U>(initial), minimum(lowest), maximum(highest) {}

    // From the stored value, never the effective one, so that committing and reverting a
    // derived variable give back what was stored.
    float normalised() const override {
        return static_cast<float>((static_cast<double>(this->stored) - minimum) /
                                  (static_cast<double>(maximum) - minimum));
    }

    void setNormalised(float x) override {
        if constexpr (std::is_integral_v<U>)
            this->stored = static_cast<U>(
                std::floor(static_cast<float>(maximum - minimum) * x + 0.5f) + minimum);
        else
            this->stored = (maximum - minimum) * x + minimum;
    }

    U minimum;
    U maximum;
};

/// A variable on a logarithmic scale: `minimum` and `maximum` hold the natural logarithms of
/// the ends of its range.
template <typename T, typename U>
class VarLogScale : public VarScaled<T, U> {
public:
    VarLogScale(U logLowest, U logHighest, U initial = U(1))
        : VarScaled<T, U>(logLowest, logHighest, initial) {}

    float normalised() const override {
        if (!(this->stored > 0))
            return 0.0f;
        return static_cast<float>((std::log(static_cast<double>(this->stored)) - this->minimum) /
                                  (static_cast<double>(this->maximum) - this->minimum));
    }

    void setNormalised(float x) override {
        double v = std::exp((static_cast<double>(this->maximum) - this->minimum) * x + this->minimum);
        // An integer-valued variable must come back to the same integer after a round trip
        // through its normalised value; exp(log(3)) may land just below 3.
        if constexpr (std::is_integral_v<T>) {
            const double nearest = std::round(v);
            if (std::fabs(v - nearest) < 1e-4)
                v = nearest;
        }
        this->stored = static_cast<U>(v);
    }
};

}  // namespace Ostrival
